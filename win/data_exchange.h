// Data exchange between a dialog's fields and its controls, both ways.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace win {

class DataExchange {
public:
    // saveAndValidate: controls -> fields; otherwise fields -> controls.
    DataExchange(HWND dialog, bool saveAndValidate) : dialog_(dialog), saving_(saveAndValidate) {}

    bool Saving() const { return saving_; }
    // True once a control's value was refused; later exchanges do nothing.
    bool Failed() const { return failed_; }

    void Text(int controlId, std::string& value);
    // A decimal integer. A text that is not one is refused with the message
    // "Please enter an integer." and the control gets the focus.
    void Int(int controlId, int32_t& value);

private:
    void Refuse(int controlId, UINT messageId);

    HWND dialog_;
    bool saving_;
    bool failed_ = false;
};

// A decimal integer with an optional sign and surrounding blanks that fits
// in 32 bits; nothing otherwise.
std::optional<int32_t> ParseInteger(std::string_view text);

std::string ControlText(HWND control);
void SetText(HWND control, const std::string& text);

}  // namespace win

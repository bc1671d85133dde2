#include "win/data_exchange.h"

#include "files/win/wide_text.h"
#include "res/resource.h"
#include "win/message_box.h"

namespace win {

std::string ControlText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int n = GetWindowTextW(control, text.data(), length + 1);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return bw::Utf8(text);
}

// A control is given a text only when it shows another one: setting the
// same text again would only repaint it.
void SetText(HWND control, const std::string& text) {
    if (ControlText(control) != text) SetWindowTextW(control, bw::Wide(text).c_str());
}

std::optional<int32_t> ParseInteger(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

void DataExchange::Refuse(int controlId, UINT messageId) {
    failed_ = true;
    AppMessageBox(dialog_, messageId, MB_OK | MB_ICONEXCLAMATION);
    if (HWND control = GetDlgItem(dialog_, controlId)) SetFocus(control);
}

void DataExchange::Text(int controlId, std::string& value) {
    if (failed_) return;
    HWND control = GetDlgItem(dialog_, controlId);
    if (!control) return;
    if (saving_) value = ControlText(control);
    else SetText(control, value);
}

void DataExchange::Int(int controlId, int32_t& value) {
    if (failed_) return;
    HWND control = GetDlgItem(dialog_, controlId);
    if (!control) return;
    if (!saving_) {
        SetText(control, std::to_string(value));
        return;
    }
    const std::optional<int32_t> parsed = ParseInteger(ControlText(control));
    if (!parsed) {
        Refuse(controlId, IDS_ENTER_INTEGER);
        return;
    }
    value = *parsed;
}

}  // namespace win

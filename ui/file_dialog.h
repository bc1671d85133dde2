// The table file dialog: the system's common Open and Save As dialogs, made
// to keep the ".bwt" extension and to take only names the Talvik accepts.
#pragma once

#include <memory>
#include <string_view>

#include "win/file_dialog.h"

namespace ui {

// The table file dialog. Its name-part buffer is as long as its path
// buffer; an Open dialog wants an existing file; and a confirmed name gets
// the ".bwt" extension, is checked by the device library and, in a Save
// dialog, may replace an existing file only when the user says so.
class CMyFileDialog : public win::FileDialog {
public:
    CMyFileDialog(bool open, const char* defaultExtension, const char* initialName, DWORD flags, const char* filter,
                  HWND parent);
    ~CMyFileDialog() override;

protected:
    BOOL OnFileNameOK() override;

private:
    std::unique_ptr<wchar_t[]> fileTitle_;
};

// The filter of table files.
extern const char kTableFilter[];

// Does the Talvik accept `name` (UTF-8, no folder) as a file name? The
// device library judges; a letter outside its alphabet never reaches it.
bool IsTalvikName(std::string_view name);

}  // namespace ui

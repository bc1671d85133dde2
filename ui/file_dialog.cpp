#include "ui/file_dialog.h"

#include "res/resource.h"
#include "tvcomm/tvcomm.h"

namespace ui {

const char kTableFilter[] = "Bumpwright File(*.bwt)|*.bwt|";

bool IsTalvikName(std::string_view name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\0') return false;
    return TalvikIsValidFileNameA(std::string(name).c_str()) != FALSE;
}

CMyFileDialog::CMyFileDialog(bool open, const char* defaultExtension, const char* initialName, DWORD flags,
                             const char* filter, HWND parent)
    : FileDialog(open, defaultExtension, initialName, open ? flags | OFN_FILEMUSTEXIST : flags, filter, parent),
      fileTitle_(new wchar_t[kPathChars]()) {
    // The name part may be as long as the whole path.
    ofn().lpstrFileTitle = fileTitle_.get();
    ofn().nMaxFileTitle = kPathChars;
}

CMyFileDialog::~CMyFileDialog() = default;

BOOL CMyFileDialog::OnFileNameOK() {
    // No room for the extension: refused, never cut short.
    if (!PutDefaultExtension()) return RefuseName(IDS_PATH_TOO_LONG);
    // The device library judges the name part.
    if (!IsTalvikName(FileTitle())) return RefuseName(IDS_INVALID_NAME);
    // The system was not asked to confirm replacing a file: the question
    // comes here, once the extension is in place.
    return !IsOpenDialog() && !MayReplace();
}

}  // namespace ui

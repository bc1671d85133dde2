#include "ui/file_dialog.h"

#include <cwchar>

#include "files/win/wide_text.h"

#include "model/path_text.h"
#include "res/resource.h"
#include "tvcomm/tvcomm.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace ui {

const char kTableFilter[] = "Bumpwright File(*.bwt)|*.bwt|";

namespace {

constexpr wchar_t kExtension[] = L".bwt";
constexpr size_t kExtensionChars = std::size(kExtension) - 1;

bool EndsWith(const wchar_t* text, size_t length, const wchar_t* tail, bool ignoreCase) {
    const size_t n = std::wcslen(tail);
    if (length < n) return false;
    return ignoreCase ? lstrcmpiW(text + length - n, tail) == 0 : std::wcscmp(text + length - n, tail) == 0;
}

// Is there a file or folder of exactly this name?
bool NameExists(const wchar_t* path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

// The extension of both buffers (each of kPathChars) made ".bwt",
// exactly: its letter case put right, or added ("a.txt" becomes
// "a.txt.bwt", "a." becomes "a.bwt"). False when there is no room.
bool PutExtension(wchar_t* path, wchar_t* name) {
    const size_t pathLength = std::wcslen(path), nameLength = std::wcslen(name);
    if (EndsWith(path, pathLength, kExtension, false)) return true;
    if (EndsWith(path, pathLength, kExtension, true)) {
        std::wmemcpy(path + pathLength - kExtensionChars, kExtension, kExtensionChars);
        if (EndsWith(name, nameLength, kExtension, true))
            std::wmemcpy(name + nameLength - kExtensionChars, kExtension, kExtensionChars);
        return true;
    }
    const wchar_t* added = pathLength > 0 && path[pathLength - 1] == L'.' ? kExtension + 1 : kExtension;
    const size_t addedLength = std::wcslen(added);
    if (pathLength + addedLength >= FileDialog::kPathChars || nameLength + addedLength >= FileDialog::kPathChars)
        return false;
    std::wcscat(path, added);
    std::wcscat(name, added);
    return true;
}

}  // namespace

bool IsTalvikName(std::string_view name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\0') return false;
    return TalvikIsValidFileNameA(std::string(name).c_str()) != FALSE;
}

// ---- the table file dialog ----------------------------------------------------------

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
    wchar_t* path = PathBuffer();
    wchar_t* name = ofn().lpstrFileTitle;
    const char* caption = IsOpenDialog() ? "Open" : "Save As";
    HWND owner = DialogWindow();
    if (!PutExtension(path, name)) {
        // No room for the extension: refused, never cut short.
        win::ShowMessageBox(owner, win::FormatArgument(win::LoadResString(IDS_PATH_TOO_LONG), bw::ShortPath(bw::Utf8(path))),
                            caption, MB_OK | MB_ICONEXCLAMATION);
        return TRUE;
    }

    // The device library judges the name part.
    if (!IsTalvikName(bw::Utf8(name))) {
        win::ShowMessageBox(owner, win::FormatArgument(win::LoadResString(IDS_INVALID_NAME), bw::ShortPath(bw::Utf8(path))), caption,
                            MB_OK | MB_ICONEXCLAMATION);
        return TRUE;
    }
    if (IsOpenDialog()) return FALSE;

    // The system was not asked to confirm replacing a file: the question
    // comes here, once the extension is in place.
    if (NameExists(path)) {
        const int answer = win::ShowMessageBox(owner, win::FormatArgument(win::LoadResString(IDS_REPLACE_FILE), bw::ShortPath(bw::Utf8(path))),
                                               "Save As", MB_YESNO | MB_ICONEXCLAMATION);
        if (answer != IDYES) return TRUE;
    }
    return FALSE;
}

}  // namespace ui

#include "ui/file_dialog.h"

#include <cstring>

#include "model/path_text.h"
#include "res/resource.h"
#include "tvcomm/tvcomm.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace ui {

const char kTableFilter[] = "Bumpwright File(*.bwt)|*.bwt|";

namespace {

constexpr char kExtension[] = ".bwt";
constexpr size_t kExtensionChars = sizeof kExtension - 1;

bool EndsWith(const char* text, size_t length, const char* tail, bool ignoreCase) {
    const size_t n = std::strlen(tail);
    if (length < n) return false;
    return ignoreCase ? lstrcmpiA(text + length - n, tail) == 0 : std::strcmp(text + length - n, tail) == 0;
}

// Is there a file or folder of exactly this name?
bool NameExists(const char* path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

// The extension of both buffers (each of kPathChars) made ".bwt",
// exactly: its letter case put right, or added ("a.txt" becomes
// "a.txt.bwt", "a." becomes "a.bwt"). False when there is no room.
bool PutExtension(char* path, char* name) {
    const size_t pathLength = std::strlen(path), nameLength = std::strlen(name);
    if (EndsWith(path, pathLength, kExtension, false)) return true;
    if (EndsWith(path, pathLength, kExtension, true)) {
        std::memcpy(path + pathLength - kExtensionChars, kExtension, kExtensionChars);
        if (EndsWith(name, nameLength, kExtension, true))
            std::memcpy(name + nameLength - kExtensionChars, kExtension, kExtensionChars);
        return true;
    }
    const char* added = pathLength > 0 && path[pathLength - 1] == '.' ? kExtension + 1 : kExtension;
    const size_t addedLength = std::strlen(added);
    if (pathLength + addedLength >= FileDialog::kPathChars || nameLength + addedLength >= FileDialog::kPathChars)
        return false;
    std::strcat(path, added);
    std::strcat(name, added);
    return true;
}

}  // namespace

// ---- the table file dialog ----------------------------------------------------------

CMyFileDialog::CMyFileDialog(bool open, const char* defaultExtension, const char* initialName, DWORD flags,
                             const char* filter, HWND parent)
    : FileDialog(open, defaultExtension, initialName, open ? flags | OFN_FILEMUSTEXIST : flags, filter, parent),
      fileTitle_(new char[kPathChars]()) {
    // The name part may be as long as the whole path.
    ofn().lpstrFileTitle = fileTitle_.get();
    ofn().nMaxFileTitle = kPathChars;
}

CMyFileDialog::~CMyFileDialog() = default;

BOOL CMyFileDialog::OnFileNameOK() {
    char* path = PathBuffer();
    char* name = ofn().lpstrFileTitle;
    const char* caption = IsOpenDialog() ? "Open" : "Save As";
    HWND owner = DialogWindow();
    if (!PutExtension(path, name)) {
        // No room for the extension: refused, never cut short.
        win::ShowMessageBox(owner, win::FormatArgument(win::LoadResString(IDS_PATH_TOO_LONG), bw::ShortPath(path)), caption,
                            MB_OK | MB_ICONEXCLAMATION);
        return TRUE;
    }

    // The device library judges the name part.
    if (!TalvikIsValidFileNameA(name)) {
        win::ShowMessageBox(owner, win::FormatArgument(win::LoadResString(IDS_INVALID_NAME), bw::ShortPath(path)), caption,
                            MB_OK | MB_ICONEXCLAMATION);
        return TRUE;
    }
    if (IsOpenDialog()) return FALSE;

    // The system was not asked to confirm replacing a file: the question
    // comes here, once the extension is in place.
    if (NameExists(path)) {
        const int answer = win::ShowMessageBox(owner, win::FormatArgument(win::LoadResString(IDS_REPLACE_FILE), bw::ShortPath(path)),
                                               "Save As", MB_YESNO | MB_ICONEXCLAMATION);
        if (answer != IDYES) return TRUE;
    }
    return FALSE;
}

}  // namespace ui

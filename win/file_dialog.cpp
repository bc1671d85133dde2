#include "win/file_dialog.h"

#include <dlgs.h>

#include <cstring>
#include <cwchar>

#include "files/win/wide_text.h"
#include "model/path_text.h"
#include "res/resource.h"
#include "win/data_exchange.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace win {

namespace {

// Posted to the hook window whenever the dialog waits for the user.
constexpr UINT kWaitingForUser = WM_APP + 0x21;

// Where the system's dialog window keeps its FileDialog while subclassed.
constexpr wchar_t kDialogProperty[] = L"Bumpwright.FileDialog";

// The file-name field of the system's dialog (an edit box inside a combo
// box on newer systems, a plain edit box on older ones).
HWND NameField(HWND dialog) {
    if (HWND combo = GetDlgItem(dialog, cmb13)) return combo;
    return GetDlgItem(dialog, edt1);
}

// The folder the dialog shows; empty when it does not say.
std::string ShownFolder(HWND dialog) {
    wchar_t folder[MAX_PATH] = {};
    if (SendMessageW(dialog, CDM_GETFOLDERPATH, std::size(folder), reinterpret_cast<LPARAM>(folder)) <= 0) return {};
    folder[MAX_PATH - 1] = L'\0';
    return bw::Utf8(folder);
}

bool EndsWith(const wchar_t* text, size_t length, const std::wstring& tail, bool ignoreCase) {
    if (length < tail.size()) return false;
    const wchar_t* end = text + length - tail.size();
    return ignoreCase ? lstrcmpiW(end, tail.c_str()) == 0 : std::wcscmp(end, tail.c_str()) == 0;
}

// Is there a file or folder of exactly this name?
bool NameExists(const wchar_t* path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

}  // namespace

// ---- the system's dialog ------------------------------------------------------

FileDialog::FileDialog(bool open, const char* defaultExtension, const char* initialName, DWORD flags,
                       const char* filter, HWND parent)
    : open_(open),
      filter_(bw::Wide(filter ? filter : "")),
      defaultExtension_(bw::Wide(defaultExtension ? defaultExtension : "")) {
    // "Name|pattern|" becomes "Name\0pattern\0\0".
    for (wchar_t& c : filter_)
        if (c == L'|') c = L'\0';
    filter_.push_back(L'\0');

    const std::wstring initial = bw::Wide(initialName ? initialName : "");
    if (initial.size() < std::size(path_)) initial.copy(path_, initial.size());

    ofn_.lStructSize = sizeof ofn_;
    ofn_.hwndOwner = parent;
    ofn_.lpstrFilter = filter_.size() > 1 ? filter_.c_str() : nullptr;
    ofn_.nFilterIndex = 1;
    ofn_.lpstrFile = path_;
    ofn_.nMaxFile = static_cast<DWORD>(std::size(path_));
    ofn_.lpstrFileTitle = name_;
    ofn_.nMaxFileTitle = static_cast<DWORD>(std::size(name_));
    ofn_.lpstrDefExt = defaultExtension ? defaultExtension_.c_str() : nullptr;
    // The current folder is never changed: a path kept relative elsewhere
    // would move with it.
    ofn_.Flags = flags | OFN_ENABLEHOOK | OFN_EXPLORER | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
    ofn_.lpfnHook = HookProc;
    ofn_.lCustData = reinterpret_cast<LPARAM>(this);
}

std::string FileDialog::PathName() const { return bw::Utf8(path_); }

std::string FileDialog::FileTitle() const { return ofn_.lpstrFileTitle ? bw::Utf8(ofn_.lpstrFileTitle) : std::string(); }

INT_PTR FileDialog::DoModal() {
    refusals_ = 0;
    const BOOL chosen = open_ ? GetOpenFileNameW(&ofn_) : GetSaveFileNameW(&ofn_);
    dialog_ = nullptr;
    hook_ = nullptr;
    return chosen ? IDOK : IDCANCEL;
}

UINT_PTR CALLBACK FileDialog::HookProc(HWND hook, UINT msg, WPARAM, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        const auto* record = reinterpret_cast<const OPENFILENAMEW*>(lp);
        auto* self = record ? reinterpret_cast<FileDialog*>(record->lCustData) : nullptr;
        SetWindowLongPtrW(hook, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        if (self) {
            self->hook_ = hook;
            self->dialog_ = GetParent(hook);
            // The system's dialog window is subclassed to see its OK first.
            SetPropW(self->dialog_, kDialogProperty, self);
            self->systemProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                self->dialog_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FileDialog::DialogWindowProc)));
        }
        return FALSE;
    }
    auto* self = reinterpret_cast<FileDialog*>(GetWindowLongPtrW(hook, DWLP_USER));
    if (!self) return FALSE;
    if (msg == kWaitingForUser) {
        self->AskForAnswer();
        return TRUE;
    }
    if (msg != WM_NOTIFY || !lp) return FALSE;
    const auto* note = reinterpret_cast<const OFNOTIFYW*>(lp);
    switch (note->hdr.code) {
        case CDN_INITDONE: PostMessageW(hook, kWaitingForUser, 0, 0); return FALSE;
        case CDN_FILEOK: {
            const BOOL refused = self->OnFileNameOK();
            SetWindowLongPtrW(hook, DWLP_MSGRESULT, refused ? 1 : 0);
            if (refused) {
                ++self->refusals_;
                PostMessageW(hook, kWaitingForUser, 0, 0);
            }
            return TRUE;
        }
        default: return FALSE;
    }
}

LRESULT CALLBACK FileDialog::DialogWindowProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<FileDialog*>(GetPropW(dialog, kDialogProperty));
    if (!self || !self->systemProc_) return DefWindowProcW(dialog, msg, wp, lp);
    const WNDPROC systemProc = self->systemProc_;
    if (msg == WM_COMMAND && LOWORD(wp) == IDOK && self->RefuseTooLongName()) return 0;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProc));
        RemovePropW(dialog, kDialogProperty);
        self->systemProc_ = nullptr;
    }
    return CallWindowProcW(systemProc, dialog, msg, wp, lp);
}

void FileDialog::SetTitle(const std::string& title) {
    title_ = title;
    wideTitle_ = bw::Wide(title);
    ofn_.lpstrTitle = wideTitle_.c_str();
}

bool FileDialog::RefuseTooLongName() {
    HWND field = NameField(dialog_);
    if (!field) return false;
    const std::string typed = win::ControlText(field);
    // A name relative to the folder shown is put after that folder.
    const bool absolute = typed.size() >= 2 && (typed[1] == ':' || (typed[0] == '\\' && typed[1] == '\\'));
    std::string path = typed;
    if (const std::string folder = ShownFolder(dialog_); !absolute && !folder.empty()) {
        path = folder;
        if (path.back() != '\\') path += '\\';
        path += typed;
    }
    // Room is left for what the extension still needs; the system counts
    // UTF-16 units.
    const std::wstring wide = bw::Wide(path);
    const std::wstring extension = L"." + defaultExtension_;
    size_t added = extension.size();
    if (EndsWith(wide.c_str(), wide.size(), extension, true)) added = 0;
    else if (!wide.empty() && wide.back() == L'.') added = extension.size() - 1;
    if (wide.size() + added < kPathChars) return false;
    PathMessageBox(dialog_, IDS_PATH_TOO_LONG, path, MB_OK | MB_ICONEXCLAMATION, Caption());
    ++refusals_;
    if (hook_) PostMessageW(hook_, kWaitingForUser, 0, 0);
    return true;
}

std::optional<std::string> ChooseFile(HWND owner, bool open, const char* defaultExtension,
                                      const std::string& initialName, DWORD flags, UINT filterId, UINT titleId) {
    const std::string filter = LoadResString(filterId);
    FileDialog dialog(open, defaultExtension, initialName.c_str(), flags, filter.c_str(), owner);
    dialog.SetTitle(LoadResString(titleId));
    if (dialog.DoModal() != IDOK) return std::nullopt;
    return dialog.PathName();
}

std::string FileDialog::Caption() const { return !title_.empty() ? title_ : open_ ? "Open" : "Save As"; }

bool FileDialog::PutDefaultExtension() {
    const std::wstring extension = L"." + defaultExtension_;
    wchar_t* name = ofn_.lpstrFileTitle;
    const size_t pathLength = std::wcslen(path_), nameLength = name ? std::wcslen(name) : 0;
    if (EndsWith(path_, pathLength, extension, false)) return true;
    if (EndsWith(path_, pathLength, extension, true)) {
        extension.copy(path_ + pathLength - extension.size(), extension.size());
        if (EndsWith(name, nameLength, extension, true))
            extension.copy(name + nameLength - extension.size(), extension.size());
        return true;
    }
    const std::wstring added = pathLength > 0 && path_[pathLength - 1] == L'.' ? extension.substr(1) : extension;
    if (pathLength + added.size() >= kPathChars || nameLength + added.size() >= ofn_.nMaxFileTitle) return false;
    std::wcscat(path_, added.c_str());
    if (name) std::wcscat(name, added.c_str());
    return true;
}

BOOL FileDialog::RefuseName(UINT stringId) {
    PathMessageBox(dialog_, stringId, PathName(), MB_OK | MB_ICONEXCLAMATION, Caption());
    return TRUE;
}

bool FileDialog::MayReplace() {
    if (!NameExists(path_)) return true;
    return PathMessageBox(dialog_, IDS_REPLACE_FILE, PathName(), MB_YESNO | MB_ICONEXCLAMATION, Caption()) == IDYES;
}

void FileDialog::AskForAnswer() {
    if (!dialog_ || !IsWindow(dialog_)) return;
    HWND field = NameField(dialog_);
    win::FileDialogRequest request;
    request.dialog = dialog_;
    request.title = win::ControlText(dialog_);
    request.nameField = field ? win::ControlText(field) : std::string();
    request.folder = ShownFolder(dialog_);
    request.attempt = refusals_;
    win::FileDialogAnswer answer;
    if (!win::AnswerFileDialog(request, answer)) return;  // the user answers
    if (answer.cancel || !field) {
        PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    SetWindowTextW(field, bw::Wide(answer.name).c_str());
    PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace win

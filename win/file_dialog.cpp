#include "win/file_dialog.h"

#include <dlgs.h>

#include <cstring>

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
constexpr char kDialogProperty[] = "Bumpwright.FileDialog";

// The file-name field of the system's dialog (an edit box inside a combo
// box on newer systems, a plain edit box on older ones).
HWND NameField(HWND dialog) {
    if (HWND combo = GetDlgItem(dialog, cmb13)) return combo;
    return GetDlgItem(dialog, edt1);
}

}  // namespace

// ---- the system's dialog ------------------------------------------------------

FileDialog::FileDialog(bool open, const char* defaultExtension, const char* initialName, DWORD flags,
                       const char* filter, HWND parent)
    : open_(open), filter_(filter ? filter : ""), defaultExtension_(defaultExtension ? defaultExtension : "") {
    // "Name|pattern|" becomes "Name\0pattern\0\0".
    for (char& c : filter_)
        if (c == '|') c = '\0';
    filter_.push_back('\0');

    if (initialName && std::strlen(initialName) < sizeof path_) std::strcpy(path_, initialName);

    ofn_.lStructSize = sizeof ofn_;
    ofn_.hwndOwner = parent;
    ofn_.lpstrFilter = filter_.size() > 1 ? filter_.c_str() : nullptr;
    ofn_.nFilterIndex = 1;
    ofn_.lpstrFile = path_;
    ofn_.nMaxFile = sizeof path_;
    ofn_.lpstrFileTitle = name_;
    ofn_.nMaxFileTitle = sizeof name_;
    ofn_.lpstrDefExt = defaultExtension ? defaultExtension_.c_str() : nullptr;
    // The current folder is never changed: a path kept relative elsewhere
    // would move with it.
    ofn_.Flags = flags | OFN_ENABLEHOOK | OFN_EXPLORER | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
    ofn_.lpfnHook = HookProc;
    ofn_.lCustData = reinterpret_cast<LPARAM>(this);
}

INT_PTR FileDialog::DoModal() {
    refusals_ = 0;
    const BOOL chosen = open_ ? GetOpenFileNameA(&ofn_) : GetSaveFileNameA(&ofn_);
    dialog_ = nullptr;
    hook_ = nullptr;
    return chosen ? IDOK : IDCANCEL;
}

UINT_PTR CALLBACK FileDialog::HookProc(HWND hook, UINT msg, WPARAM, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        const auto* record = reinterpret_cast<const OPENFILENAMEA*>(lp);
        auto* self = record ? reinterpret_cast<FileDialog*>(record->lCustData) : nullptr;
        SetWindowLongPtrA(hook, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        if (self) {
            self->hook_ = hook;
            self->dialog_ = GetParent(hook);
            // The system's dialog window is subclassed to see its OK first.
            SetPropA(self->dialog_, kDialogProperty, self);
            self->systemProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                self->dialog_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FileDialog::DialogWindowProc)));
        }
        return FALSE;
    }
    auto* self = reinterpret_cast<FileDialog*>(GetWindowLongPtrA(hook, DWLP_USER));
    if (!self) return FALSE;
    if (msg == kWaitingForUser) {
        self->AskForAnswer();
        return TRUE;
    }
    if (msg != WM_NOTIFY || !lp) return FALSE;
    const auto* note = reinterpret_cast<const OFNOTIFYA*>(lp);
    switch (note->hdr.code) {
        case CDN_INITDONE: PostMessageA(hook, kWaitingForUser, 0, 0); return FALSE;
        case CDN_FILEOK: {
            const BOOL refused = self->OnFileNameOK();
            SetWindowLongPtrA(hook, DWLP_MSGRESULT, refused ? 1 : 0);
            if (refused) {
                ++self->refusals_;
                PostMessageA(hook, kWaitingForUser, 0, 0);
            }
            return TRUE;
        }
        default: return FALSE;
    }
}

LRESULT CALLBACK FileDialog::DialogWindowProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<FileDialog*>(GetPropA(dialog, kDialogProperty));
    if (!self || !self->systemProc_) return DefWindowProcA(dialog, msg, wp, lp);
    const WNDPROC systemProc = self->systemProc_;
    if (msg == WM_COMMAND && LOWORD(wp) == IDOK && self->RefuseTooLongName()) return 0;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProc));
        RemovePropA(dialog, kDialogProperty);
        self->systemProc_ = nullptr;
    }
    return CallWindowProcA(systemProc, dialog, msg, wp, lp);
}

bool FileDialog::RefuseTooLongName() {
    HWND field = NameField(dialog_);
    if (!field) return false;
    const std::string typed = win::ControlText(field);
    // A name relative to the folder shown is put after that folder.
    const bool absolute = typed.size() >= 2 && (typed[1] == ':' || (typed[0] == '\\' && typed[1] == '\\'));
    std::string path = typed;
    char folder[MAX_PATH] = {};
    if (!absolute && SendMessageA(dialog_, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder)) > 0) {
        path = folder;
        if (!path.empty() && path.back() != '\\') path += '\\';
        path += typed;
    }
    // Room is left for what the extension still needs.
    const std::string extension = "." + defaultExtension_;
    size_t added = extension.size();
    if (path.size() >= added && lstrcmpiA(path.c_str() + path.size() - added, extension.c_str()) == 0) added = 0;
    else if (!path.empty() && path.back() == '.') added = extension.size() - 1;
    if (path.size() + added < kPathChars) return false;
    ShowMessageBox(dialog_, FormatArgument(LoadResString(IDS_PATH_TOO_LONG), bw::ShortPath(path)),
                   !title_.empty() ? title_ : open_ ? "Open" : "Save As",
                   MB_OK | MB_ICONEXCLAMATION);
    ++refusals_;
    if (hook_) PostMessageA(hook_, kWaitingForUser, 0, 0);
    return true;
}

void FileDialog::AskForAnswer() {
    if (!dialog_ || !IsWindow(dialog_)) return;
    HWND field = NameField(dialog_);
    win::FileDialogRequest request;
    request.dialog = dialog_;
    request.title = win::ControlText(dialog_);
    request.nameField = field ? win::ControlText(field) : std::string();
    char folder[MAX_PATH] = {};
    if (SendMessageA(dialog_, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder)) > 0)
        request.folder = folder;
    request.attempt = refusals_;
    win::FileDialogAnswer answer;
    if (!win::AnswerFileDialog(request, answer)) return;  // the user answers
    if (answer.cancel || !field) {
        PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    SetWindowTextA(field, answer.name.c_str());
    PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace win

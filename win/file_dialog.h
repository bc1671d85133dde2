// The system's common Open and Save As dialogs, with a hook that lets a
// derived dialog refuse a confirmed name and lets tests answer them.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <memory>
#include <optional>
#include <string>

namespace win {

// The system's common Open or Save As dialog (explorer style, with a hook
// procedure) around one OPENFILENAME record and a path buffer of MAX_PATH
// characters (UTF-16, as the system counts them). Names and the filter are
// given in UTF-8, the filter with "|" between its parts.
class FileDialog {
public:
    static constexpr size_t kPathChars = MAX_PATH;
    static constexpr size_t kNameChars = 64;  // the name-part buffer's default length

    FileDialog(bool open, const char* defaultExtension, const char* initialName, DWORD flags, const char* filter,
               HWND parent);
    virtual ~FileDialog() = default;
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    // Runs the dialog until the user confirms a name (IDOK) or cancels
    // (IDCANCEL).
    INT_PTR DoModal();

    // A title of its own, in place of the system's "Open" or "Save As".
    void SetTitle(const std::string& title);
    bool IsOpenDialog() const { return open_; }
    // The chosen path, as OnFileNameOK left it.
    std::string PathName() const;
    // Its name part (no folder), as OnFileNameOK left it.
    std::string FileTitle() const;
    // The system's dialog while it is open.
    HWND DialogWindow() const { return dialog_; }

protected:
    // The user has confirmed a name: the path buffer and the name-part
    // buffer hold it. Nonzero refuses it and keeps the dialog open.
    virtual BOOL OnFileNameOK() { return FALSE; }

    // For OnFileNameOK. The extension of the path and of the name part made
    // the default extension, exactly: its letter case put right, or added
    // ("a.txt" becomes "a.txt.bwt", "a." becomes "a.bwt"). False when a
    // buffer has no room for it.
    bool PutDefaultExtension();
    // Says why the name is refused (string `stringId`, naming the path) in
    // a box over the dialog; returns nonzero, which refuses it.
    BOOL RefuseName(UINT stringId);
    // True when no file or folder has the name, or the user says it may be
    // replaced.
    bool MayReplace();

    OPENFILENAMEW& ofn() { return ofn_; }
    wchar_t* PathBuffer() { return path_; }

private:
    static UINT_PTR CALLBACK HookProc(HWND hook, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK DialogWindowProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);
    void AskForAnswer();
    // The caption of the dialog's messages: its title.
    std::string Caption() const;
    // Refuses a typed name that would make a path too long for the path
    // buffer before the system builds that path.
    bool RefuseTooLongName();

    bool open_;
    OPENFILENAMEW ofn_{};
    wchar_t path_[kPathChars] = {};
    wchar_t name_[kNameChars] = {};
    std::wstring filter_;
    std::string title_;
    std::wstring wideTitle_;
    std::wstring defaultExtension_;
    HWND dialog_ = nullptr;
    HWND hook_ = nullptr;
    WNDPROC systemProc_ = nullptr;
    int refusals_ = 0;
};

// Runs a dialog whose filter and title are strings `filterId` and
// `titleId` of the string table; the path chosen, none when cancelled.
std::optional<std::string> ChooseFile(HWND owner, bool open, const char* defaultExtension,
                                      const std::string& initialName, DWORD flags, UINT filterId, UINT titleId);

}  // namespace win

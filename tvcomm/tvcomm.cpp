// tvcomm.dll: the Talvik device library, speaking to an emulated Talvik.
//
// The emulated Talvik is a folder (see DeviceFolder). Sending a file copies it
// there in steps, driven by a timer on the wizard's progress page so that the
// wizard stays responsive and Cancel works between steps. The bytes go to a
// temporary file in that folder, which gets the file's name only when every
// byte is written; a cancelled or failed transfer deletes it, so the Talvik
// never holds half a file and keeps the old file of that name, if any.
#include "tvcomm/tvcomm.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tvcomm/tvcomm_res.h"

namespace {

HINSTANCE g_module = nullptr;

// The characters of a Talvik file name (the program keeps the same list in
// its string table).
constexpr char kNameCharacters[] =
    "qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM 1234567890-_+.()";

constexpr char kDeviceFolderVariable[] = "TALVIK_DEVICE_DIR";
constexpr char kWizardCaption[] = "Send to Talvik";

// A transfer takes about this many timer steps; small files take one.
constexpr uint64_t kSteps = 40;
constexpr uint64_t kMinChunk = 4096;
constexpr uint64_t kMaxChunk = 8u << 20;
constexpr UINT kStepTimer = 1;
constexpr UINT kStepMilliseconds = 10;
constexpr int kProgressRange = 1000;

// Page indexes in a wizard that can send: ready, progress, result.
constexpr int kReadyPage = 0;
constexpr int kProgressPage = 1;
constexpr int kResultPage = 2;

bool IsNameCharacter(char c) {
    return c != '\0' && std::strchr(kNameCharacters, c) != nullptr;
}

// Windows opens a device instead of a file for these names, whatever follows
// the first full stop; such a file could never arrive in the Talvik's folder.
bool IsReservedDeviceName(const char* name) {
    std::string base(name, std::strcspn(name, "."));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           std::isdigit(static_cast<unsigned char>(base[3]));
}

bool IsValidName(const char* name) {
    if (name == nullptr || name[0] == '\0') return false;
    size_t length = 0;
    for (; name[length] != '\0'; ++length) {
        if (length == TALVIK_MAX_NAME || !IsNameCharacter(name[length])) return false;
    }
    // Windows drops a final blank or full stop, so the file would arrive under
    // another name; this also refuses "." and "..".
    const char last = name[length - 1];
    if (last == ' ' || last == '.') return false;
    return !IsReservedDeviceName(name);
}

std::string TrimLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text;
}

// The reason for a failed file operation, as a sentence fragment.
std::string Reason(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "it was not found";
        case ERROR_ACCESS_DENIED:
            return "access was denied";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return "another program is using it";
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return "the disk is full";
        case ERROR_FILENAME_EXCED_RANGE:
            return "the path is too long";
        default:
            break;
    }
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = length != 0 ? TrimLineEnd(text) : std::string();
    if (text != nullptr) LocalFree(text);
    if (reason.empty()) reason = "system error " + std::to_string(error);
    else if (reason.size() > 1 && std::isupper(static_cast<unsigned char>(reason[0])) &&
             std::islower(static_cast<unsigned char>(reason[1])))
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    return reason + " (error " + std::to_string(error) + ")";
}

// "758", "1,048,576".
std::string Number(uint64_t count) {
    const std::string digits = std::to_string(count);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

// "1 byte", "758 bytes".
std::string Bytes(uint64_t count) {
    return Number(count) + (count == 1 ? " byte" : " bytes");
}

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH * 2];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (length == 0 || length >= sizeof buffer) return path;
    return buffer;
}

std::string WithoutTrailingSeparators(std::string path) {
    // Keep the root: "C:\" or "\".
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') && path[path.size() - 2] != ':')
        path.pop_back();
    return path;
}

// The folder that stands for the Talvik: TALVIK_DEVICE_DIR when it is set and
// not empty, otherwise Talvik\Device in the user's application-data folder.
std::string DeviceFolder() {
    char value[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableA(kDeviceFolderVariable, value, sizeof value);
    if (length != 0 && length < sizeof value) return WithoutTrailingSeparators(FullPath(value));
    char appData[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return WithoutTrailingSeparators(appData) + "\\Talvik\\Device";
    const DWORD appDataLength = GetEnvironmentVariableA("APPDATA", appData, sizeof appData);
    if (appDataLength != 0 && appDataLength < sizeof appData)
        return WithoutTrailingSeparators(appData) + "\\Talvik\\Device";
    return FullPath("Talvik\\Device");
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Creates `folder` and the folders above it that are missing.
DWORD CreateFolders(const std::string& folder) {
    if (IsFolder(folder)) return ERROR_SUCCESS;
    for (size_t at = folder.find_first_of("\\/", 1); at != std::string::npos; at = folder.find_first_of("\\/", at + 1)) {
        const std::string upper = folder.substr(0, at);
        if (upper.empty() || upper.back() == ':' || upper.back() == '\\') continue;  // drive or UNC prefix
        CreateDirectoryA(upper.c_str(), nullptr);
    }
    if (CreateDirectoryA(folder.c_str(), nullptr) || IsFolder(folder)) return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS ? ERROR_DIRECTORY : error;
}

// Why `folder` could not be made: a file where a folder of its path should
// be, or the system's reason.
std::string FolderFailure(const std::string& folder, DWORD error) {
    for (std::string part = folder; !part.empty();) {
        const DWORD attributes = GetFileAttributesA(part.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return part + " is a file, not a folder";
            break;
        }
        const size_t at = part.find_last_of("\\/");
        if (at == std::string::npos || at == 0 || part[at - 1] == ':') break;
        part.resize(at);
    }
    return Reason(error);
}

void CloseIfOpen(HANDLE& handle) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

// One run of the wizard: the request, the transfer and what the pages show.
struct Wizard {
    std::string path;    // the file to send
    std::string name;    // its name on the Talvik
    std::string folder;  // the Talvik's folder
    std::string problem; // why the request cannot be served; empty when it can
    HANDLE source = INVALID_HANDLE_VALUE;
    uint64_t size = 0;

    bool started = false;
    bool arrived = false;
    std::string failure;  // why the transfer failed; empty while it has not
    HANDLE temp = INVALID_HANDLE_VALUE;
    std::string tempPath;
    uint64_t sent = 0;
    std::vector<char> buffer;

    HFONT headingFont = nullptr;

    Wizard() = default;
    Wizard(const Wizard&) = delete;
    Wizard& operator=(const Wizard&) = delete;
    ~Wizard() {
        AbandonTransfer();
        CloseIfOpen(source);
        if (headingFont != nullptr) DeleteObject(headingFont);
    }

    std::string Target() const { return folder + "\\" + name; }

    // Checks the request and opens the file; on a fault, `problem` says what is wrong.
    void Check(const TalvikUploadInfo* info, DWORD flags) {
        if (info == nullptr) {
            problem = "The program did not pass an upload request.";
            return;
        }
        if (info->cbSize != TALVIK_UPLOAD_INFO_SIZE) {
            problem = "The upload request is " + std::to_string(info->cbSize) +
                      " bytes long, but this library expects " + std::to_string(TALVIK_UPLOAD_INFO_SIZE) +
                      ". The program may have been made for another version of the Talvik library.";
            return;
        }
        if ((flags & ~TALVIK_UPLOAD_CONFIRM) != 0) {
            char hex[16];
            wsprintfA(hex, "0x%08lX", static_cast<unsigned long>(flags));
            problem = std::string("The upload request asks for options that this library does not know (flags ") +
                      hex + ").";
            return;
        }
        if (info->dwReserved1 != 0 || info->dwReserved2 != 0) {
            problem = "The upload request holds values in its reserved fields, which must be 0.";
            return;
        }
        if (info->pszPath == nullptr || info->pszPath[0] == '\0') {
            problem = "The upload request does not say which file to send.";
            return;
        }
        path = info->pszPath;
        if (info->pszName == nullptr || info->pszName[0] == '\0') {
            problem = "The upload request does not give the name that " + path + " should have on the Talvik.";
            return;
        }
        name = info->pszName;
        if (!IsValidName(name.c_str())) {
            problem = "The Talvik does not accept the file name \"" + name +
                      "\".\n\nA name on the Talvik is 1 to 63 characters long and uses only letters, digits, "
                      "blanks and - _ + . ( ); it does not end in a blank or a full stop, and it is not a "
                      "name Windows keeps for a device, such as CON or NUL.";
            return;
        }
        if (IsFolder(path)) {
            problem = path + " is a folder, not a file.";
            return;
        }
        source = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (source == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            switch (error) {
                case ERROR_FILE_NOT_FOUND:
                case ERROR_PATH_NOT_FOUND:
                case ERROR_INVALID_NAME:
                case ERROR_BAD_NETPATH:
                    problem = path + " was not found.";
                    break;
                case ERROR_ACCESS_DENIED:
                    problem = "Access to " + path + " was denied.";
                    break;
                case ERROR_SHARING_VIOLATION:
                case ERROR_LOCK_VIOLATION:
                    problem = path + " is being used by another program and cannot be read.";
                    break;
                default:
                    problem = path + " cannot be read: " + Reason(error) + ".";
                    break;
            }
            return;
        }
        LARGE_INTEGER length;
        if (!GetFileSizeEx(source, &length)) {
            problem = path + " cannot be read: " + Reason(GetLastError()) + ".";
            return;
        }
        size = static_cast<uint64_t>(length.QuadPart);
        folder = DeviceFolder();
    }

    // Makes the Talvik's folder and the temporary file; false (with `failure`)
    // when that is not possible.
    bool StartTransfer() {
        started = true;
        if (const DWORD error = CreateFolders(folder); error != ERROR_SUCCESS) {
            failure = "The Talvik's folder " + folder + " could not be created: " + FolderFailure(folder, error) + ".";
            return false;
        }
        char temporary[MAX_PATH];
        if (folder.size() + 16 > MAX_PATH || GetTempFileNameA(folder.c_str(), "tvk", 0, temporary) == 0) {
            const DWORD error = folder.size() + 16 > MAX_PATH ? ERROR_FILENAME_EXCED_RANGE : GetLastError();
            failure = "Nothing can be written to the Talvik's folder " + folder + ": " + Reason(error) + ".";
            return false;
        }
        tempPath = temporary;
        temp = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (temp == INVALID_HANDLE_VALUE) {
            failure = "Nothing can be written to the Talvik's folder " + folder + ": " + Reason(GetLastError()) + ".";
            DeleteFileA(tempPath.c_str());
            tempPath.clear();
            return false;
        }
        const uint64_t chunk = std::clamp((size + kSteps - 1) / kSteps, kMinChunk, kMaxChunk);
        buffer.resize(static_cast<size_t>(chunk));
        return true;
    }

    // Sends the next piece. Returns true when the transfer has ended: the file
    // has arrived, or `failure` says why not.
    bool Step() {
        DWORD got = 0;
        if (!ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            Fail(path + " could not be read: " + Reason(GetLastError()) + ".");
            return true;
        }
        if (got == 0) {
            Complete();
            return true;
        }
        DWORD written = 0;
        if (!WriteFile(temp, buffer.data(), got, &written, nullptr) || written != got) {
            const DWORD error = GetLastError();
            Fail("Writing to the Talvik's folder " + folder + " failed: " +
                 Reason(error == ERROR_SUCCESS ? ERROR_HANDLE_DISK_FULL : error) + ".");
            return true;
        }
        sent += got;
        return false;
    }

    void Complete() {
        if (!FlushFileBuffers(temp)) {
            Fail("Writing to the Talvik's folder " + folder + " failed: " + Reason(GetLastError()) + ".");
            return;
        }
        CloseIfOpen(temp);
        if (!MoveFileExA(tempPath.c_str(), Target().c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            const DWORD error = GetLastError();
            Fail(IsFolder(Target()) ? "The Talvik's folder holds a folder named " + name + ", which a file cannot replace."
                                    : "The file could not be stored as " + Target() + ": " + Reason(error) + ".");
            return;
        }
        tempPath.clear();
        arrived = true;
    }

    void Fail(std::string why) {
        failure = std::move(why);
        AbandonTransfer();
    }

    // Removes what a transfer that did not complete has written.
    void AbandonTransfer() {
        CloseIfOpen(temp);
        if (!tempPath.empty()) DeleteFileA(tempPath.c_str());
        tempPath.clear();
    }
};

enum class PageRole { Ready, Progress, Result, Problem };

struct PageData {
    Wizard* wizard;
    PageRole role;
};

PageData* DataOf(HWND page) {
    return reinterpret_cast<PageData*>(GetWindowLongPtrA(page, DWLP_USER));
}

void SetHeading(HWND page, Wizard& wizard, const std::string& text) {
    HWND heading = GetDlgItem(page, IDC_HEADING);
    if (wizard.headingFont == nullptr) {
        LOGFONTA font{};
        HFONT pageFont = reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0));
        if (pageFont != nullptr && GetObjectA(pageFont, sizeof font, &font) != 0) {
            font.lfWeight = FW_BOLD;
            wizard.headingFont = CreateFontIndirectA(&font);
        }
    }
    if (wizard.headingFont != nullptr) SendMessageA(heading, WM_SETFONT, reinterpret_cast<WPARAM>(wizard.headingFont), FALSE);
    SetWindowTextA(heading, text.c_str());
}

void SetText(HWND page, int id, const std::string& text) {
    SetDlgItemTextA(page, id, text.c_str());
}

void ShowMessagePage(HWND page, PageData& data) {
    Wizard& w = *data.wizard;
    HWND sheet = GetParent(page);
    switch (data.role) {
        case PageRole::Ready: {
            SetHeading(page, w, "Ready to send " + w.name);
            std::string text = "The file will be sent to the Talvik as " + w.name + " (" + Bytes(w.size) +
                               ").\n\nFrom:  " + w.path + "\nTo:  the Talvik's folder " + w.folder + "\n\n";
            if (GetFileAttributesA(w.Target().c_str()) != INVALID_FILE_ATTRIBUTES)
                text += "A file named " + w.name + " is already on the Talvik; it will be replaced.\n\n";
            text += "Click Next to send it.";
            SetText(page, IDC_TEXT, text);
            PropSheet_SetWizButtons(sheet, PSWIZB_NEXT);
            break;
        }
        case PageRole::Result:
            if (w.arrived) {
                SetHeading(page, w, w.name + " has arrived on the Talvik.");
                SetText(page, IDC_TEXT, Bytes(w.size) + " were sent from " + w.path + ".\n\nThe Talvik's folder is " +
                                            w.folder + ".\n\nClick Finish to close this wizard.");
            } else {
                SetHeading(page, w, w.name + " could not be sent.");
                SetText(page, IDC_TEXT, w.failure + "\n\nNothing was changed on the Talvik.");
            }
            PropSheet_SetWizButtons(sheet, PSWIZB_FINISH);
            break;
        case PageRole::Problem:
            SetHeading(page, w, "The file cannot be sent.");
            SetText(page, IDC_TEXT, w.problem + "\n\nNothing was sent to the Talvik.");
            PropSheet_SetWizButtons(sheet, PSWIZB_FINISH);
            break;
        case PageRole::Progress:
            break;
    }
}

INT_PTR CALLBACK MessagePageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
            return TRUE;
        case WM_NOTIFY:
            if (reinterpret_cast<const NMHDR*>(lParam)->code == PSN_SETACTIVE) {
                ShowMessagePage(page, *DataOf(page));
                SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

void ShowProgress(HWND page, const Wizard& w) {
    const int position =
        w.size == 0 ? (w.arrived ? kProgressRange : 0)
                    : static_cast<int>(std::min<uint64_t>(w.sent, w.size) * kProgressRange / w.size);
    SendDlgItemMessageA(page, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    SetText(page, IDC_STATUS, Number(w.sent) + " of " + Bytes(w.size) + " sent");
}

void ShowResultPage(HWND page) {
    PropSheet_SetCurSel(GetParent(page), nullptr, kResultPage);
}

constexpr UINT kTransferEnded = WM_APP + 1;

INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
            SendDlgItemMessageA(page, IDC_PROGRESS, PBM_SETRANGE32, 0, kProgressRange);
            return TRUE;
        case WM_NOTIFY:
            if (reinterpret_cast<const NMHDR*>(lParam)->code == PSN_SETACTIVE) {
                Wizard& w = *DataOf(page)->wizard;
                PropSheet_SetWizButtons(GetParent(page), 0);
                SetHeading(page, w, "Sending " + w.name + " to the Talvik...");
                SetText(page, IDC_TEXT, "From:  " + w.path + "\nTo:  the Talvik's folder " + w.folder +
                                            "\n\nClick Cancel to stop; the Talvik then keeps what it had.");
                ShowProgress(page, w);
                if (!w.started) {
                    if (w.StartTransfer()) SetTimer(page, kStepTimer, kStepMilliseconds, nullptr);
                    else PostMessageA(page, kTransferEnded, 0, 0);  // the page may not change while it activates
                }
                SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            break;
        case WM_TIMER:
            if (wParam == kStepTimer) {
                Wizard& w = *DataOf(page)->wizard;
                const bool ended = w.Step();
                ShowProgress(page, w);
                if (ended) {
                    KillTimer(page, kStepTimer);
                    ShowResultPage(page);
                }
                return TRUE;
            }
            break;
        case kTransferEnded:
            ShowResultPage(page);
            return TRUE;
        case WM_DESTROY:
            KillTimer(page, kStepTimer);
            break;
    }
    return FALSE;
}

PROPSHEETPAGEA MakePage(int templateId, DLGPROC proc, PageData& data) {
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = g_module;
    page.pszTemplate = MAKEINTRESOURCEA(templateId);
    page.pfnDlgProc = proc;
    page.lParam = reinterpret_cast<LPARAM>(&data);
    return page;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" TVCOMM_API BOOL WINAPI TalvikIsValidFileNameA(LPCSTR name) {
    return IsValidName(name) ? TRUE : FALSE;
}

extern "C" TVCOMM_API BOOL WINAPI TalvikUploadWizardA(const TalvikUploadInfo* info, DWORD flags, HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    Wizard wizard;
    wizard.Check(info, flags);

    PageData ready{&wizard, PageRole::Ready};
    PageData progress{&wizard, PageRole::Progress};
    PageData result{&wizard, PageRole::Result};
    PageData problem{&wizard, PageRole::Problem};
    std::vector<PROPSHEETPAGEA> pages;
    UINT startPage = 0;
    if (wizard.problem.empty()) {
        pages.push_back(MakePage(IDD_MESSAGE_PAGE, MessagePageProc, ready));
        pages.push_back(MakePage(IDD_PROGRESS_PAGE, ProgressPageProc, progress));
        pages.push_back(MakePage(IDD_MESSAGE_PAGE, MessagePageProc, result));
        startPage = (flags & TALVIK_UPLOAD_CONFIRM) != 0 ? kReadyPage : kProgressPage;
    } else {
        pages.push_back(MakePage(IDD_MESSAGE_PAGE, MessagePageProc, problem));
    }

    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_WIZARD | PSH_PROPSHEETPAGE;
    header.hwndParent = owner != nullptr && IsWindow(owner) ? owner : nullptr;
    header.hInstance = g_module;
    header.pszCaption = kWizardCaption;
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = startPage;
    header.ppsp = pages.data();
    PropertySheetA(&header);

    // A cancelled transfer leaves its temporary file behind until here.
    const bool arrived = wizard.arrived;
    wizard.AbandonTransfer();
    return arrived ? TRUE : FALSE;
}

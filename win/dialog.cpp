#include "win/dialog.h"

#include <windowsx.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

#include "win/handles.h"
#include "win/resources.h"

namespace win {

namespace {

// The live dialogs of the (one) user-interface thread, newest last, and the
// hook that serves them all.
std::vector<Dialog*>& LiveDialogs() {
    static std::vector<Dialog*> dialogs;
    return dialogs;
}

OwnedHook& FilterHookHandle() {
    static OwnedHook hook;
    return hook;
}

// When the user's hand last brought the thread a message (the mouse's or a
// key's, taken from the queue by a dialog's or a menu's loop), in
// performance-counter ticks; read by other threads.
std::atomic<int64_t> lastInput{0};

int64_t Ticks() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

bool IsInput(UINT msg) {
    return (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || (msg >= WM_KEYFIRST && msg <= WM_KEYLAST);
}

POINT PointOf(LPARAM lp) { return {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}; }

constexpr UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED, Windows 8.1 on

// Messages whose dialog-procedure result is the message's own result.
bool ReturnsDirectly(UINT msg) {
    switch (msg) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG: return true;
        default: return false;
    }
}

}  // namespace

Dialog::~Dialog() {
    // The derived object is gone already: the window's last messages are
    // left to the dialog manager.
    HWND window = hwnd_;
    Detach();
    if (window && IsWindow(window)) DestroyWindow(window);
}

INT_PTR Dialog::DoModal(HWND parent) {
    modal_ = true;
    const INT_PTR result =
        DialogBoxParamW(Instance(), MAKEINTRESOURCEW(templateId_), parent, DialogProc, reinterpret_cast<LPARAM>(this));
    modal_ = false;
    return result;
}

bool Dialog::Create(HWND parent) {
    modal_ = false;
    HWND h = CreateDialogParamW(Instance(), MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                                reinterpret_cast<LPARAM>(this));
    return h != nullptr && hwnd_ == h;
}

void Dialog::EndDialog(INT_PTR result) {
    if (!hwnd_) return;
    if (modal_) ::EndDialog(hwnd_, result);
    else DestroyWindow(hwnd_);
}

bool Dialog::UpdateData(bool saveAndValidate) {
    if (!hwnd_) return false;
    DataExchange dx(hwnd_, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

bool Dialog::OnCommand(UINT id, UINT code, HWND) {
    if (code != BN_CLICKED) return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void Dialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::Attach(HWND hwnd) {
    hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    LiveDialogs().push_back(this);
    if (!FilterHookHandle())
        FilterHookHandle().reset(SetWindowsHookExW(WH_MSGFILTER, FilterHook, nullptr, GetCurrentThreadId()));
}

void Dialog::Detach() {
    if (hwnd_ && IsWindow(hwnd_)) SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    auto& live = LiveDialogs();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    if (live.empty()) FilterHookHandle().reset();
    hwnd_ = nullptr;
}

LRESULT CALLBACK Dialog::FilterHook(int code, WPARAM wp, LPARAM lp) {
    if (code >= 0 && lp && IsInput(reinterpret_cast<const MSG*>(lp)->message))
        lastInput.store(Ticks(), std::memory_order_relaxed);
    if (code == MSGF_DIALOGBOX && lp) {
        MSG& msg = *reinterpret_cast<MSG*>(lp);
        // Copied: a handler may end a dialog and so change the list.
        const std::vector<Dialog*> live = LiveDialogs();
        for (auto it = live.rbegin(); it != live.rend(); ++it) {
            Dialog* d = *it;
            if (!d->hwnd_ || (msg.hwnd != d->hwnd_ && !IsChild(d->hwnd_, msg.hwnd))) continue;
            if (d->PreTranslateMessage(msg)) return TRUE;
            break;
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lp);
        self->Attach(hwnd);
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self || self->hwnd_ != hwnd) return FALSE;
    if (msg == WM_NCDESTROY) {
        self->Detach();
        return FALSE;
    }
    return self->Dispatch(msg, wp, lp);
}

INT_PTR Dialog::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: return OnInitDialog();
        case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
        case WM_DESTROY: OnDestroy(); return FALSE;
        default: break;
    }
    // The dialog manager's own handling, run from a handler of this message.
    if (msg == defaultRunning_) return FALSE;
    INT_PTR result = 0;
    if (!Handle(msg, wp, lp, result)) return FALSE;
    if (ReturnsDirectly(msg)) return result;
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

bool Dialog::Handle(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    switch (msg) {
        case WM_COMMAND: return OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        case WM_PAINT: return OnPaint();
        case WM_LBUTTONDOWN: return OnLButtonDown(static_cast<UINT>(wp), PointOf(lp));
        case WM_LBUTTONUP: return OnLButtonUp(static_cast<UINT>(wp), PointOf(lp));
        case WM_LBUTTONDBLCLK: return OnLButtonDblClk(static_cast<UINT>(wp), PointOf(lp));
        case WM_RBUTTONDOWN: return OnRButtonDown(static_cast<UINT>(wp), PointOf(lp));
        case WM_MOUSEMOVE: return OnMouseMove(static_cast<UINT>(wp), PointOf(lp));
        case WM_TIMER: return OnTimer(wp);
        case WM_HELP: result = TRUE; return lp && OnHelpRequest(*reinterpret_cast<const HELPINFO*>(lp));
        case WM_ACTIVATE: return OnActivate(LOWORD(wp), reinterpret_cast<HWND>(lp));
        case WM_SYSCOMMAND: return OnSysCommand(static_cast<UINT>(wp), lp);
        case WM_QUERYENDSESSION: {
            BOOL mayEnd = TRUE;
            const bool handled = OnQueryEndSession(mayEnd);
            result = mayEnd;
            return handled;
        }
        case WM_INITMENUPOPUP: return OnInitMenuPopup(reinterpret_cast<HMENU>(wp), LOWORD(lp), HIWORD(lp) != 0);
        case WM_SIZE: return OnSize(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp));
        case WM_GETMINMAXINFO: return lp && OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lp));
        case WM_MENUSELECT: return OnMenuSelect(LOWORD(wp), HIWORD(wp), reinterpret_cast<HMENU>(lp));
        case WM_DRAWITEM:
            result = TRUE;
            return lp && OnDrawItem(static_cast<UINT>(wp), *reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        case WM_DROPFILES: {
            HDROP drop = reinterpret_cast<HDROP>(wp);
            const bool handled = OnDropFiles(drop);
            DragFinish(drop);
            return handled;
        }
        case kDpiChangedMessage: return lp && OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        case WM_ENABLE: return OnEnable(wp != 0);
        default: return msg >= WM_APP && msg <= 0xBFFF && OnAppMessage(msg, wp, lp);
    }
}

void Dialog::DefaultHandling(UINT msg, WPARAM wp, LPARAM lp) {
    const UINT outer = std::exchange(defaultRunning_, msg);
    DefDlgProcW(hwnd_, msg, wp, lp);
    defaultRunning_ = outer;
}

bool HandActiveWithin(int ms) {
    static const int64_t perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return std::max<int64_t>(1, f.QuadPart / 1000);
    }();
    const int64_t last = lastInput.load(std::memory_order_relaxed);
    return last != 0 && Ticks() - last < ms * perMs;
}

void PumpDialogMessage(HWND dialog, MSG& msg) {
    // The dialog manager calls the message filter first itself: called here
    // as well, every message would be pre-translated twice.
    if (dialog && IsWindow(dialog)) {
        if (IsDialogMessageW(dialog, &msg)) return;
    } else if (CallMsgFilterW(&msg, MSGF_DIALOGBOX)) {
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace win

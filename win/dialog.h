// A dialog built from a template, with its messages handed to one small
// virtual handler each and with message pre-translation.
//
// Pre-translation: while any Dialog lives on the thread, a message-filter
// hook (WH_MSGFILTER) sees every message that a dialog's message loop takes
// from the queue, before the loop hands it to the dialog manager. The hook
// gives each message to the PreTranslateMessage of the dialog it is meant
// for (the dialog window or one of its children); returning true there
// swallows it. The system's modal dialog loop runs the filter by itself; a
// loop of one's own runs it with PumpDialogMessage.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "win/data_exchange.h"

namespace win {

class Dialog {
public:
    explicit Dialog(UINT templateId) : templateId_(templateId) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog in the system's modal loop until it ends; returns the
    // result it ended with, or -1 when it could not be created.
    INT_PTR DoModal(HWND parent = nullptr);
    // Creates the dialog without a modal loop; false when that failed.
    bool Create(HWND parent = nullptr);

    HWND hwnd() const { return hwnd_; }
    // Ends a modal dialog with `result`; destroys a modeless one.
    void EndDialog(INT_PTR result);

    // Fields to controls (false) or controls to fields (true). False when a
    // control's value was refused.
    bool UpdateData(bool saveAndValidate);

protected:
    // The template's controls exist. Returns true to let the system give
    // the focus to the first control. The base exchanges the fields into
    // the controls.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange&) {}
    // True swallows the message.
    virtual bool PreTranslateMessage(MSG&) { return false; }

    // Commands. The base runs OnOK for IDOK and OnCancel for IDCANCEL.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    virtual void OnOK();
    virtual void OnCancel();

    // Message handlers. Each returns true when it has handled the message;
    // false leaves it to the dialog manager's default handling.
    virtual bool OnPaint() { return false; }
    virtual bool OnLButtonDown(UINT, POINT) { return false; }
    virtual bool OnLButtonUp(UINT, POINT) { return false; }
    virtual bool OnLButtonDblClk(UINT, POINT) { return false; }
    virtual bool OnRButtonDown(UINT, POINT) { return false; }
    virtual bool OnMouseMove(UINT, POINT) { return false; }
    virtual bool OnTimer(UINT_PTR) { return false; }
    virtual bool OnHelpRequest(const HELPINFO&) { return false; }
    virtual bool OnActivate(UINT /*state*/, HWND /*other*/) { return false; }
    virtual bool OnSysCommand(UINT, LPARAM) { return false; }
    // Answers whether the session may end; nothing means the default answer.
    virtual bool OnQueryEndSession(BOOL& /*mayEnd*/) { return false; }
    virtual HICON OnQueryDragIcon() { return nullptr; }
    // A drop-down menu is about to open.
    virtual bool OnInitMenuPopup(HMENU /*menu*/, UINT /*index*/, bool /*systemMenu*/) { return false; }
    // A menu item highlighted (flags as WM_MENUSELECT gives them), or the
    // menus closed (flags 0xFFFF, no menu).
    virtual bool OnMenuSelect(UINT /*item*/, UINT /*flags*/, HMENU /*menu*/) { return false; }
    // The client area's new size; the smallest size the window may take.
    virtual bool OnSize(UINT /*type*/, int /*width*/, int /*height*/) { return false; }
    virtual bool OnGetMinMaxInfo(MINMAXINFO&) { return false; }
    // An owner-drawn control is to be drawn.
    virtual bool OnDrawItem(UINT /*controlId*/, const DRAWITEMSTRUCT&) { return false; }
    // Files dropped on the window (the drop is finished by the caller).
    virtual bool OnDropFiles(HDROP) { return false; }
    // The window is on a screen of another DPI; `suggested` is the system's
    // proposal for its new place.
    virtual bool OnDpiChanged(UINT /*dpi*/, const RECT& /*suggested*/) { return false; }
    // The window was enabled or disabled (a modal window beside it began or ended).
    virtual bool OnEnable(bool /*enabled*/) { return false; }
    // A message of the window's own (WM_APP to 0xBFFF).
    virtual bool OnAppMessage(UINT /*msg*/, WPARAM, LPARAM) { return false; }
    virtual void OnDestroy() {}

    // Runs the dialog manager's own handling of the message now, from the
    // window's handler of that message; the handlers see nothing of it.
    void DefaultHandling(UINT msg, WPARAM wp, LPARAM lp);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK FilterHook(int code, WPARAM wp, LPARAM lp);
    INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    // Hands the message to its handler: true when the handler took it,
    // with the message's result in `result`.
    bool Handle(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result);
    void Attach(HWND hwnd);
    void Detach();

    UINT templateId_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    UINT defaultRunning_ = 0;  // the message whose default handling runs now
};

// Whether the user's hand brought the window's thread a message (the
// mouse's or a key's) in the last `ms` milliseconds. Any thread may ask.
bool HandActiveWithin(int ms);

// What the system's dialog loop does with a message it has taken from the
// queue: the message filter (pre-translation), then the dialog manager,
// then the window. For loops of one's own and for tests.
void PumpDialogMessage(HWND dialog, MSG& msg);

}  // namespace win

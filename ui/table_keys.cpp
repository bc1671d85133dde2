// The keys, the Edit menu's items, the timers, and the key releases on
// activation and on entering the menus: each handed to the editor.
#include <windows.h>
#include <commctrl.h>

#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/controls.h"
#include "win/data_exchange.h"
#include "win/keys.h"
#include "win/resources.h"

namespace ui {

namespace {

// Every keyboard shortcut of the window, as the menus show them.
constexpr win::Shortcut kShortcuts[] = {
    {'Z', true, false, ID_EDIT_UNDO},
    {'Y', true, false, ID_EDIT_REDO},
    {'Z', true, true, ID_EDIT_REDO},
    {'X', true, false, ID_EDIT_CUT},
    {'C', true, false, ID_EDIT_COPY},
    {'V', true, false, ID_EDIT_PASTE},
    {VK_DELETE, false, false, ID_EDIT_DELETE},
    {'N', true, false, ID_FILE_NEW},
    {'O', true, false, ID_FILE_OPEN},
    {'S', true, false, ID_FILE_SAVE},
    {'S', true, true, ID_FILE_SAVE_AS},
    {VK_OEM_PLUS, true, false, ID_VIEW_ZOOM_IN},
    {VK_ADD, true, false, ID_VIEW_ZOOM_IN},
    {VK_OEM_PLUS, true, true, ID_VIEW_ZOOM_IN},  // Ctrl with the "+" that Shift gives
    {VK_OEM_MINUS, true, false, ID_VIEW_ZOOM_OUT},
    {VK_SUBTRACT, true, false, ID_VIEW_ZOOM_OUT},
    {'0', true, false, ID_VIEW_ZOOM_DEFAULT},
    {VK_NUMPAD0, true, false, ID_VIEW_ZOOM_DEFAULT},
    {'K', true, false, ID_TABLE_CHECK},
    {'K', true, true, ID_TABLE_CHECK_AS_YOU_EDIT},
    {'A', true, false, ID_EDIT_SELECT_ALL},
    {'D', true, false, ID_EDIT_DUPLICATE},
    {'M', true, false, ID_EDIT_MIRROR},
    {'M', true, true, ID_EDIT_MIRROR_COPY},
};

// The tools' keys: 1 to 9 (on the top row or the number pad) in the
// toolbar's order, as the Tools menu shows them.
UINT ToolForKey(WPARAM key) {
    if (key >= '1' && key <= '9') return kFirstToolCommand + static_cast<UINT>(key - '1');
    if (key >= VK_NUMPAD1 && key <= VK_NUMPAD9) return kFirstToolCommand + static_cast<UINT>(key - VK_NUMPAD1);
    return 0;
}

struct EditItem {
    UINT command;
    bw::EditCommand action;
};

constexpr EditItem kEditItems[] = {
    {ID_EDIT_UNDO, bw::EditCommand::Undo},
    {ID_EDIT_REDO, bw::EditCommand::Redo},
    {ID_EDIT_CUT, bw::EditCommand::Cut},
    {ID_EDIT_COPY, bw::EditCommand::Copy},
    {ID_EDIT_PASTE, bw::EditCommand::Paste},
    {ID_EDIT_DELETE, bw::EditCommand::Delete},
    {ID_EDIT_SELECT_ALL, bw::EditCommand::SelectAll},
    {ID_EDIT_DUPLICATE, bw::EditCommand::Duplicate},
    {ID_EDIT_MIRROR, bw::EditCommand::Mirror},
    {ID_EDIT_MIRROR_COPY, bw::EditCommand::MirrorCopy},
    {ID_EDIT_ALIGN_LEFT, bw::EditCommand::Align},
    {ID_EDIT_ALIGN_CENTRE, bw::EditCommand::Align},
    {ID_EDIT_ALIGN_RIGHT, bw::EditCommand::Align},
    {ID_EDIT_ALIGN_TOP, bw::EditCommand::Align},
    {ID_EDIT_ALIGN_MIDDLE, bw::EditCommand::Align},
    {ID_EDIT_ALIGN_BOTTOM, bw::EditCommand::Align},
    {ID_EDIT_DISTRIBUTE_ACROSS, bw::EditCommand::Distribute},
    {ID_EDIT_DISTRIBUTE_DOWN, bw::EditCommand::Distribute},
};

// Whether a message may change the table or start or end a gesture, so
// that the check as you edit looks at the table after it: all but the
// mouse moving with no button down, painting, the timers and its own.
bool MayChangeTheTable(const MSG& msg) {
    switch (msg.message) {
        case WM_MOUSEMOVE: return (msg.wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
        case WM_NCMOUSEMOVE:
        case WM_PAINT:
        case WM_TIMER:
        case TableDialog::kCheckMessage: return false;
        default: return true;
    }
}

}  // namespace

bool TableDialog::PreTranslateMessage(MSG& msg) {
    if (MayChangeTheTable(msg)) IdleSoon();
    if (toolTip_) SendMessageW(toolTip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    if (msg.message == WM_MOUSEMOVE) pressed_.MouseMoved(toolBar_.get(), ID_FILE_OPEN, kLastToolCommand, msg.lParam);
    const bool keyMessage = msg.message == WM_KEYDOWN || msg.message == WM_KEYUP;
    if (editor_->PlayKeyMessage(static_cast<int32_t>(msg.wParam), keyMessage, msg.message == WM_KEYDOWN)) return true;
    if (msg.message != WM_KEYDOWN) return false;
    if (HandleShortcut(msg)) return true;
    // Escape never closes the window (it clears the selection); F1 is left
    // to the system, whose help request (WM_HELP) opens the help once.
    if (msg.wParam == VK_ESCAPE) {
        editor_->Escape();
        return true;
    }
    return editor_->ArrowKey(static_cast<int32_t>(msg.wParam));
}

bool TableDialog::HandleShortcut(const MSG& msg) {
    if (win::KeyHeld(VK_MENU)) return false;
    UINT command = win::ShortcutCommand(kShortcuts, msg.wParam);
    // Del goes to the dialog unless the pointer has a piece; with one, it is
    // taken even while the piece is dragged.
    if (command == ID_EDIT_DELETE && !editor_->PointerHasPiece()) return false;
    // A tool's key works as a click on its toolbar button does.
    if (command == 0 && !win::KeyHeld(VK_CONTROL)) command = ToolForKey(msg.wParam);
    if (command == 0) return false;
    // Check table runs a message loop of its own: not from inside this hook.
    if (command == ID_TABLE_CHECK) PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    else SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return true;
}

bool TableDialog::OnInitMenuPopup(HMENU, UINT, bool systemMenu) {
    if (systemMenu) return false;
    HMENU bar = GetMenu(hwnd());
    for (const EditItem& item : kEditItems) win::EnableCommand(bar, item.command, editor_->CanAct(item.action));
    for (UINT id : {ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_DEFAULT}) win::EnableCommand(bar, id, CanZoom(id));
    return false;
}

bool TableDialog::OnMenuSelect(UINT item, UINT flags, HMENU menu) {
    // While a menu item is highlighted the status line says what it does
    // (a recent table: which file it opens); once the menus close it shows
    // the editor's text again.
    HWND status = GetDlgItem(hwnd(), IDC_STATUS);
    std::string text;
    if (flags == 0xFFFF && !menu) text = editor_->statusText();
    else if (flags & (MF_POPUP | MF_SEPARATOR | MF_SYSMENU) || item == 0) text.clear();
    else if (win::RecentTables::IsEntry(item, ID_FILE_RECENT_FIRST))
        text = recent_.HelpText(item - ID_FILE_RECENT_FIRST, status);
    else text = win::LoadResString(item);
    win::SetText(status, text);
    return false;
}

bool TableDialog::OnTimer(UINT_PTR id) {
    if (id == kRecoveryTimer) UpdateRecovery();
    else if (!IsIconic(hwnd())) editor_->PlayStep();
    return false;
}

bool TableDialog::OnActivate(UINT how, HWND other) {
    // The dialog manager's handling first (it gives the focus back to the
    // control that had it), then the keys: keys held while another window
    // was active never reached this one.
    DefaultHandling(WM_ACTIVATE, MAKEWPARAM(how, IsIconic(hwnd()) ? 1 : 0), reinterpret_cast<LPARAM>(other));
    if (how != WA_INACTIVE) editor_->ReleaseKeys();
    return true;
}

bool TableDialog::OnSysCommand(UINT command, LPARAM) {
    // Entering the menu bar or the system menu: the menu's own loop takes
    // the key-ups of keys held now.
    const UINT code = command & 0xFFF0;
    if (code == SC_KEYMENU || code == SC_MOUSEMENU) editor_->ReleaseKeys();
    return false;
}

}  // namespace ui

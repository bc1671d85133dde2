// The main window: start-up, painting, commands, loading and shut-down.
#include "ui/table_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "ui/about_dialog.h"
#include "ui/help.h"
#include "files/table_file.h"
#include "model/paint.h"
#include "res/resource.h"
#include "ui/check_dialog.h"
#include "ui/send_button.h"
#include "win/data_exchange.h"
#include "win/message_box.h"
#include "win/resources.h"
#include "win/startup.h"
#include "win/toolbar.h"

namespace ui {

const char* FileNamePart(const char* path) {
    if (!path || !*path) return nullptr;
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

TableDialog::TableDialog() : win::Dialog(IDD_TABLE) {
    icon = LoadIconA(win::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

TableDialog::~TableDialog() {
    // The window goes first, so that its destruction (OnDestroy) still runs
    // on the whole object.
    if (hwnd() && IsWindow(hwnd())) DestroyWindow(hwnd());
}

bool TableDialog::SetFilePath(std::string_view path) {
    // Kept absolute: a later change of the current folder (by anyone)
    // cannot move the table's file elsewhere.
    const std::string full = win::AbsolutePath(std::string(path));
    if (full.size() >= sizeof filePath) return false;
    std::memcpy(filePath, full.data(), full.size());
    filePath[full.size()] = '\0';
    return true;
}

bool TableDialog::IsActiveWindow() const { return hwnd() && GetActiveWindow() == hwnd(); }

// ---- start-up ---------------------------------------------------------------

HWND TableDialog::CreateToolBarControl() {
    return CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                           WS_CHILD | WS_VISIBLE | CCS_VERT | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER |
                               TBSTYLE_FLAT,
                           0, 0, 40, 320, hwnd(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(ID_TOOLBAR)),
                           win::Instance(), nullptr);
}

HWND TableDialog::CreateToolTipControl() {
    return CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, win::Instance(), nullptr);
}

void TableDialog::FailInitialisation(UINT messageId) {
    // Without its toolbar the window is of no use: the program ends.
    win::AppMessageBox(hwnd(), messageId, MB_OK | MB_ICONSTOP);
    EndDialog(IDABORT);
}

bool TableDialog::CreateToolBar() {
    toolBar.reset(CreateToolBarControl());
    if (!toolBar || !win::LoadToolBar(toolBar.get(), win::Instance(), IDR_MAINFRAME, true)) return false;

    // Room for the bar: the window grows by its width, so that the dialog's
    // own area keeps its size, and the bar stands on the right edge.
    const int count = static_cast<int>(SendMessageA(toolBar.get(), TB_BUTTONCOUNT, 0, 0));
    int barWidth = 0;
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (SendMessageA(toolBar.get(), TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item)))
            barWidth = std::max<int>(barWidth, item.right + 2);
    }
    RECT client{}, outer{};
    GetClientRect(hwnd(), &client);
    GetWindowRect(hwnd(), &outer);
    SetWindowPos(hwnd(), nullptr, 0, 0, outer.right - outer.left + barWidth, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(toolBar.get(), nullptr, client.right, 0, barWidth, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);

    // The tool buttons form one check group.
    for (UINT id = kFirstToolCommand; id <= kLastToolCommand; ++id) {
        TBBUTTONINFOA info{};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_STYLE;
        info.fsStyle = BTNS_CHECKGROUP;
        SendMessageA(toolBar.get(), TB_SETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&info));
    }
    return true;
}

bool TableDialog::CreateToolTips() {
    toolTip.reset(CreateToolTipControl());
    if (!toolTip) return false;
    for (UINT id = ID_FILE_OPEN; id <= kLastToolCommand; ++id) {
        TOOLINFOA info{};
        info.cbSize = TTTOOLINFOA_V2_SIZE;
        info.hwnd = toolBar.get();
        info.uId = id;
        info.hinst = win::Instance();
        info.lpszText = MAKEINTRESOURCEA(id);
        SendMessageA(toolBar.get(), TB_GETRECT, id, reinterpret_cast<LPARAM>(&info.rect));
        SendMessageA(toolTip.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
    SendMessageA(toolTip.get(), TTM_ACTIVATE, TRUE, 0);
    return true;
}

BOOL TableDialog::OnInitDialog() {
    win::Dialog::OnInitDialog();

    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    smallIcon.reset(static_cast<HICON>(
        LoadImageA(win::Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon ? smallIcon.get() : icon));

    if (!CreateToolBar()) {
        FailInitialisation(IDS_NO_TOOLBAR);
        return FALSE;
    }
    if (!CreateToolTips()) {
        FailInitialisation(IDS_NO_TOOLTIPS);
        return FALSE;
    }

    HMENU system = GetSystemMenu(hwnd(), FALSE);
    ModifyMenuA(system, SC_MAXIMIZE, MF_BYCOMMAND | MF_STRING | MF_GRAYED, SC_MAXIMIZE, "Maximize");
    ModifyMenuA(system, SC_SIZE, MF_BYCOMMAND | MF_STRING | MF_GRAYED, SC_SIZE, "Size");

    for (const char* port : {"COM1", "COM2", "COM3", "COM4"})
        SendDlgItemMessageA(hwnd(), IDC_PORT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(port));
    SendDlgItemMessageA(hwnd(), IDC_PORT, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageA(hwnd(), IDC_SPEED_SPIN, UDM_SETRANGE32, 20, 500);
    SendDlgItemMessageA(hwnd(), IDC_SPEED_SPIN, UDM_SETPOS32, 0, 20);

    playfield = {0, 0, 249, 199};
    tool = kNoTool;
    mode = EditMode::Editing;
    saved = true;
    currentPiece = nullptr;
    state.score = 0;
    timerId = 1;

    root = std::make_unique<bw::TableRoot>(state, win::ResourceImageLoader(win::Instance(), IDB_BALL, 8));
    currentGroup = root.get();

    piecePen = gdi.PenFor(bw::kPiecePen);
    framePen = gdi.PenFor(bw::kFramePen);

    helpPath = app::HelpPathFor(win::ModulePath());
    state.excludeActive = 0;
    SetWindowTextA(hwnd(), win::AppTitle().c_str());
    recordCount = 1;
    history.Start(Snapshot());

    // The send button draws its label itself, in two lines.
    HWND send = GetDlgItem(hwnd(), IDC_SEND);
    const LONG_PTR style = GetWindowLongPtrA(send, GWL_STYLE);
    SetWindowLongPtrA(send, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK | BS_MULTILINE)) | BS_OWNERDRAW);

    recent.Load();
    UpdateRecentMenu();
    DragAcceptFiles(hwnd(), TRUE);

    // A copy of unsaved changes left behind comes before the start-up file.
    if (!OfferRecovery()) OpenStartupFile();
    if (!recoveryFile.empty()) SetTimer(hwnd(), kRecoveryTimer, kRecoveryPeriod, nullptr);

    {
        win::WindowDc screen(hwnd());
        backBuffer.reset(CreateCompatibleBitmap(screen.get(), 250, 200));
        memoryDC.reset(CreateCompatibleDC(screen.get()));
        if (memoryDC && backBuffer) SelectObject(memoryDC.get(), backBuffer.get());
    }
    return TRUE;  // the first control gets the focus
}

void TableDialog::DoDataExchange(win::DataExchange& dx) {
    dx.Int(IDC_SPEED, speed);
    dx.Text(IDC_COORDINATES, coordinatesText);
    dx.Text(IDC_STATUS, statusText);
    dx.Text(IDC_SCORE, scoreText);
}

// ---- painting ---------------------------------------------------------------

bool TableDialog::OnPaint() {
    win::PaintDc paint(hwnd());
    if (IsZoomed(hwnd())) {
        // The window is never shown maximized.
        ShowWindow(hwnd(), SW_RESTORE);
        InvalidateRect(hwnd(), nullptr, TRUE);
        return true;
    }
    PaintPlayfield(paint.get());
    return true;
}

void TableDialog::PaintPlayfield(HDC dc) {
    if (!root) return;
    win::SavedDcState keep(dc);
    IntersectClipRect(dc, playfield.left, playfield.top, playfield.right, playfield.bottom);
    if (mode == EditMode::Playing && memoryDC) {
        PaintPlayBuffer(dc);
        return;
    }
    {
        win::DcSurface target(dc, gdi);
        // While a border is drawn, the segment under the mouse is left out
        // here and drawn in XOR below.
        if (mode == EditMode::DrawingBorder) {
            state.excludedPiece = currentPiece;
            state.excludeActive = 1;
        }
        bw::PaintTable(state, target, false, OverlayToPaint());
        state.excludeActive = 0;
        if ((mode == EditMode::DrawingBorder || mode == EditMode::Dragging) && currentPiece) {
            target.SelectPen(bw::kPiecePen);
            target.SetRasterMode(bw::RasterMode::XorPen);
            state.drawTarget = &target;
            currentPiece->HandleMessage(bw::PieceMessage::Draw);
            state.drawTarget = nullptr;
        }
    }
    if ((mode == EditMode::Editing || mode == EditMode::Dragging) && tool == kPointerTool) ToggleSelectionFrame(dc);
}

HICON TableDialog::OnQueryDragIcon() { return icon; }

bool TableDialog::OnDrawItem(UINT controlId, const DRAWITEMSTRUCT& item) {
    if (controlId != IDC_SEND) return false;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0));
    DrawSendButton(item.hDC, item.rcItem, item.itemState, win::ControlText(item.hwndItem), font);
    return true;
}

// ---- commands ---------------------------------------------------------------

bool TableDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (id >= kFirstToolCommand && id <= kLastToolCommand) {
        SelectTool(id);
        return true;
    }
    if (id >= ID_FILE_RECENT_FIRST && id < ID_FILE_RECENT_FIRST + RecentTables::kMaxTables) {
        OnOpenRecent(id - ID_FILE_RECENT_FIRST);
        return true;
    }
    switch (id) {
        case ID_HELP:
        case ID_HELP_FINDER: OnHelp(); return true;
        case ID_APP_ABOUT: OnAppAbout(); return true;
        case ID_APP_EXIT: OnAppExit(); return true;
        case ID_FILE_OPEN: OnFileOpen(); return true;
        case ID_FILE_SAVE: SaveTable(false); return true;
        case ID_FILE_SAVE_AS: SaveTable(true); return true;
        case ID_EDIT_UNDO: OnEditUndo(); return true;
        case ID_EDIT_REDO: OnEditRedo(); return true;
        case ID_EDIT_CUT: OnEditCut(); return true;
        case ID_EDIT_COPY: OnEditCopy(); return true;
        case ID_EDIT_PASTE: OnEditPaste(); return true;
        case ID_EDIT_DELETE: OnEditDelete(); return true;
        case ID_DOWNLOAD_PLAYER: OnDownloadPlayer(); return true;
        case IDC_SEND:
            if (code == BN_CLICKED) OnSendToDevice();
            return true;
        case IDC_START: StartPlay(); return true;
        case IDC_EDIT_MODE: StopPlay(); return true;
        case IDC_CLEAR: ClearTable(); return true;
        case ID_TABLE_CHECK: OnCheckTable(); return true;
        case ID_TABLE_OPEN_REPLAY: OnOpenReplay(); return true;
        case ID_TABLE_SAVE_REPLAY: OnSaveReplay(); return true;
        default: return win::Dialog::OnCommand(id, code, control);
    }
}

void TableDialog::OnOK() {
    // Enter closes nothing.
}

bool TableDialog::OnHelpRequest(const HELPINFO&) {
    // F1 opens the help only without Shift, Ctrl or Alt.
    const bool modified =
        (GetKeyState(VK_SHIFT) & 0x8000) || (GetKeyState(VK_CONTROL) & 0x8000) || (GetKeyState(VK_MENU) & 0x8000);
    if (!modified) SendMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
    return true;
}

void TableDialog::OnHelp() {
    EndDrag();
    app::ShowHelp(hwnd(), helpPath);
}

void TableDialog::OnAppAbout() {
    app::AboutDialog about;
    about.DoModal(hwnd());
}

// ---- files and title ----------------------------------------------------------

void TableDialog::UpdateTitle(const char* path) {
    std::string title;
    if (const char* name = FileNamePart(path)) title = std::string(name) + " - ";
    title += win::AppTitle();
    SetWindowTextA(hwnd(), title.c_str());
}

// ---- shut-down ----------------------------------------------------------------

void TableDialog::OnDestroy() {
    EndBorder();
    DropFindings();
    // A piece being dragged is out of the tree: it goes with the table.
    draggedPiece.reset();
    currentPiece = nullptr;
    currentGroup = nullptr;
    root.reset();
    helpPath.clear();
    KillTimer(hwnd(), timerId);
    KillTimer(hwnd(), kRecoveryTimer);
}

}  // namespace ui

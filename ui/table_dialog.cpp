// The main window: start-up, the messages handed to the editor, painting,
// and what the editor asks of the window.
#include "ui/table_dialog.h"

#include <commctrl.h>

#include "res/resource.h"
#include "ui/about_dialog.h"
#include "ui/check_dialog.h"
#include "win/send_button.h"
#include "win/clipboard.h"
#include "win/controls.h"
#include "win/keys.h"
#include "win/data_exchange.h"
#include "win/html_help.h"
#include "win/message_box.h"
#include "win/resources.h"
#include "win/settings.h"
#include "win/startup.h"
#include "win/toolbar.h"

namespace ui {

namespace {

// The playfield as the window shows it at the drawing's zoom.
constexpr RECT kPlayfieldClip{bw::kPlayfield.left, bw::kPlayfield.top, bw::kPlayfield.right, bw::kPlayfield.bottom};

bw::EditorTexts LoadEditorTexts() {
    bw::EditorTexts texts;
    for (UINT id = kFirstToolCommand; id <= kLastToolCommand; ++id)
        texts.tools[static_cast<size_t>(id - kToolCommandOffset)] = win::LoadResString(id);
    texts.replayPlaying = win::LoadResString(IDS_REPLAY_PLAYING);
    texts.piecesSelected = win::LoadResString(IDS_PIECES_SELECTED);
    texts.checkClean = win::LoadResString(IDS_LIVE_CLEAN);
    texts.checkUnreached = win::LoadResString(IDS_LIVE_UNREACHED);
    texts.checkTrap = win::LoadResString(IDS_LIVE_TRAP);
    texts.checkTraps = win::LoadResString(IDS_LIVE_TRAPS);
    texts.findingsHint = win::LoadResString(IDS_LIVE_HINT);
    texts.checkEndless = win::LoadResString(IDS_LIVE_ENDLESS);
    for (size_t i = 0; i < bw::kEditCommands; ++i)
        texts.commands[i] = win::LoadResString(IDS_COMMAND_NAMES + static_cast<UINT>(i));
    return texts;
}

}  // namespace

TableDialog::TableDialog()
    : win::Dialog(IDD_TABLE),
      liveChecks_(WorkerCalls(kCheckMessage)),
      editor_(std::make_unique<bw::Editor>(static_cast<bw::EditorView&>(*this),
                                           win::ResourceImageLoader(win::Instance(), IDB_BALL, 8), LoadEditorTexts(),
                                           liveChecks_)) {
    icon_ = LoadIconW(win::Instance(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

TableDialog::~TableDialog() {
    // The window goes first, so that its destruction (OnDestroy) still runs
    // on the whole object.
    if (hwnd() && IsWindow(hwnd())) DestroyWindow(hwnd());
}

bool TableDialog::SetFilePath(const std::string& path) {
    // Kept absolute: a later change of the current folder (by anyone)
    // cannot move the table's file elsewhere.
    const std::string full = win::AbsolutePath(path);
    if (win::IsTooLongPath(full)) return false;
    // A device's name (CON.bwt) is kept as typed: the refusal names it so.
    startupFile_ = win::IsDevicePath(full) ? path : full;
    return true;
}

// ---- start-up ---------------------------------------------------------------

HWND TableDialog::CreateToolBarControl() { return win::CreateVerticalToolBar(hwnd(), ID_TOOLBAR); }

HWND TableDialog::CreateToolTipControl() { return win::CreateToolTipWindow(hwnd()); }

bool TableDialog::CreateToolBar(UINT dpi) {
    // The pictures grow with the screen's scale, pixel for pixel.
    const int pictureSize = MulDiv(20, static_cast<int>(dpi), 96);
    toolBar_.reset(CreateToolBarControl());
    if (!toolBar_ ||
        !win::LoadToolBar(toolBar_.get(), win::Instance(), IDR_MAINFRAME, true, pictureSize, &toolBarPictures_))
        return FailInitialisation(IDS_NO_TOOLBAR);
    win::PlaceOnRightEdge(hwnd(), toolBar_.get());
    win::MakeCheckGroup(toolBar_.get(), kFirstToolCommand, kLastToolCommand);
    toolTip_.reset(CreateToolTipControl());
    if (!toolTip_) return FailInitialisation(IDS_NO_TOOLTIPS);
    win::AddToolTips(toolTip_.get(), toolBar_.get(), win::Instance(), ID_FILE_OPEN, kLastToolCommand);
    return true;
}

bool TableDialog::FailInitialisation(UINT messageId) {
    // Without its toolbar the window is of no use: the program ends.
    win::AppMessageBox(hwnd(), messageId, MB_OK | MB_ICONSTOP);
    EndDialog(IDABORT);
    return false;
}

BOOL TableDialog::OnInitDialog() {
    win::Dialog::OnInitDialog();
    smallIcon_ = win::SetWindowIcons(hwnd(), icon_, IDR_MAINFRAME);
    const UINT dpi = win::WindowDpi(hwnd());
    if (!CreateToolBar(dpi)) return FALSE;
    InitControls();
    view_.Start(hwnd(), ID_TOOLBAR, dpi);
    helpPath = win::CompiledHelpPath(win::ModulePath());
    win::SetText(hwnd(), win::AppTitle());
    recent_.Load();
    ShowRecent();
    DragAcceptFiles(hwnd(), TRUE);
    // A copy of unsaved changes left behind comes before the start-up file.
    if (!OfferRecovery()) OpenStartupFile();
    if (recovery) SetTimer(hwnd(), kRecoveryTimer, kRecoveryPeriod, nullptr);
    editor_->SetCheckAsYouEdit(win::ReadFlag(kCheckAsYouEditSetting, false));
    ShowCheckAsYouEdit();
    buffer_.Create(hwnd(), {bw::kPlayfieldWidth, bw::kPlayfieldHeight}, kPlayfieldClip);
    return TRUE;  // the first control gets the focus
}

void TableDialog::InitControls() {
    for (const wchar_t* port : {L"COM1", L"COM2", L"COM3", L"COM4"})
        SendDlgItemMessageW(hwnd(), IDC_PORT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(port));
    SendDlgItemMessageW(hwnd(), IDC_PORT, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(hwnd(), IDC_SPEED_SPIN, UDM_SETRANGE32, 20, 500);
    SendDlgItemMessageW(hwnd(), IDC_SPEED_SPIN, UDM_SETPOS32, 0, 20);
    // The send button draws its label itself, in two lines.
    win::MakeSendButton(GetDlgItem(hwnd(), IDC_SEND));
}

void TableDialog::DoDataExchange(win::DataExchange& dx) {
    dx.Int(IDC_SPEED, speed_);
    if (!dx.Saving()) TextsChanged();
}

// ---- commands ---------------------------------------------------------------

bool TableDialog::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
        case ID_VIEW_ZOOM_IN:
        case ID_VIEW_ZOOM_OUT:
        case ID_VIEW_ZOOM_DEFAULT: OnZoomCommand(id); return true;
        default: break;
    }
    if (id >= kFirstToolCommand && id <= kLastToolCommand) {
        editor_->SelectTool(static_cast<int32_t>(id) - kToolCommandOffset);
        return true;
    }
    if (win::RecentTables::IsEntry(id, ID_FILE_RECENT_FIRST)) {
        OnOpenRecent(id - ID_FILE_RECENT_FIRST);
        return true;
    }
    bw::Editor& e = *editor_;
    switch (id) {
        case ID_HELP:
        case ID_HELP_FINDER: OnHelp(); return true;
        case ID_APP_ABOUT: AboutDialog().DoModal(hwnd()); return true;
        case ID_APP_EXIT: CloseWindow(IDOK); return true;
        case ID_FILE_NEW: OnFileNew(); return true;
        case ID_FILE_OPEN: OnFileOpen(); return true;
        case ID_FILE_SAVE: SaveTable(false); return true;
        case ID_FILE_SAVE_AS: SaveTable(true); return true;
        case ID_FILE_EXPORT_PAGE: OnExportPage(); return true;
        case ID_EDIT_UNDO: e.Undo(); return true;
        case ID_EDIT_REDO: e.Redo(); return true;
        case ID_EDIT_CUT: e.Cut(); return true;
        case ID_EDIT_COPY: e.Copy(); return true;
        case ID_EDIT_PASTE: e.Paste(); return true;
        case ID_EDIT_DELETE: e.Delete(); return true;
        case ID_EDIT_SELECT_ALL: e.SelectAll(); return true;
        case ID_EDIT_DUPLICATE: e.Duplicate(); return true;
        case ID_EDIT_MIRROR: e.Mirror(); return true;
        case ID_EDIT_MIRROR_COPY: e.MirrorCopy(); return true;
        case ID_EDIT_ALIGN_LEFT:
        case ID_EDIT_ALIGN_CENTRE:
        case ID_EDIT_ALIGN_RIGHT:
        case ID_EDIT_ALIGN_TOP:
        case ID_EDIT_ALIGN_MIDDLE:
        case ID_EDIT_ALIGN_BOTTOM: e.Align(static_cast<bw::Alignment>(id - ID_EDIT_ALIGN_LEFT)); return true;
        case ID_EDIT_DISTRIBUTE_ACROSS: e.Distribute(false); return true;
        case ID_EDIT_DISTRIBUTE_DOWN: e.Distribute(true); return true;
        case ID_DOWNLOAD_PLAYER: OnDownloadPlayer(); return true;
        case IDC_SEND:
            if (code == BN_CLICKED) OnSendToDevice();
            return true;
        case IDC_START: StartPlay(); return true;
        case IDC_EDIT_MODE: e.StopPlay(); return true;
        case IDC_CLEAR: e.Clear(); return true;
        case ID_TABLE_CHECK: OnCheckTable(); return true;
        case ID_TABLE_CHECK_AS_YOU_EDIT: OnCheckAsYouEdit(); return true;
        case ID_TABLE_OPEN_REPLAY: OnOpenReplay(); return true;
        case ID_TABLE_SAVE_REPLAY: OnSaveReplay(); return true;
        default: return win::Dialog::OnCommand(id, code, control);
    }
}

void TableDialog::OnOK() {
    // Enter closes nothing.
}

void TableDialog::StartPlay() {
    if (editor_->mode() == bw::EditMode::Playing) return;
    // The speed comes from its (hidden) edit box.
    UpdateData(true);
    SetTimer(hwnd(), kPlayTimer, static_cast<UINT>(speed_), nullptr);
    editor_->StartPlay();
}

bool TableDialog::OnHelpRequest(const HELPINFO&) {
    // F1 opens the help only without Shift, Ctrl or Alt.
    if (!win::ModifierHeld()) SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
    return true;
}

void TableDialog::OnHelp() {
    editor_->Settle();
    win::ShowHelp(hwnd(), helpPath);
}

// ---- the mouse: to the editor ---------------------------------------------------

bool TableDialog::OnLButtonDown(UINT keys, POINT p) {
    editor_->LButtonDown(EditorPoint(p), (keys & MK_SHIFT) != 0);
    return false;
}

bool TableDialog::OnMouseMove(UINT, POINT p) {
    editor_->MouseMove(EditorPoint(p));
    return false;
}

bool TableDialog::OnLButtonUp(UINT, POINT) {
    editor_->LButtonUp();
    return false;
}

bool TableDialog::OnRButtonDown(UINT, POINT) {
    editor_->RButtonDown();
    return false;
}

bool TableDialog::OnLButtonDblClk(UINT, POINT p) {
    editor_->LButtonDblClk(EditorPoint(p));
    return false;
}

// ---- painting ---------------------------------------------------------------

bool TableDialog::OnPaint() {
    win::PaintDc paint(hwnd());
    PaintPlayfield(paint.get());
    return true;
}

void TableDialog::PaintPlayfield(HDC dc) {
    buffer_.Paint(dc, view_.Zoom(), editor_->mode() == bw::EditMode::Playing,
                  [this](bw::Surface& s) { editor_->Paint(s); });
}

HICON TableDialog::OnQueryDragIcon() { return icon_; }

bool TableDialog::OnDrawItem(UINT controlId, const DRAWITEMSTRUCT& item) {
    if (controlId != IDC_SEND) return false;
    win::DrawSendButton(item);
    return true;
}

// ---- what the editor asks ---------------------------------------------------

void TableDialog::Invalidate(const bw::Region& area, bool erase) {
    if (hwnd()) win::BackBuffer::Invalidate(hwnd(), view_.Zoom(), area, erase);
}

void TableDialog::DrawNow(const std::function<void(bw::Surface&)>& draw) {
    if (hwnd()) buffer_.DrawNow(hwnd(), view_.Zoom(), draw);
}

namespace {

UINT TextOf(bw::EditorMessage message) {
    using M = bw::EditorMessage;
    switch (message) {
        case M::TooComplex: return IDS_TOO_COMPLEX;
        case M::NotATable: return IDS_NOT_A_TABLE;
        case M::ClearQuestion: return IDS_CLEAR_QUESTION;
        case M::PasteNotATable: return IDS_PASTE_NOT_A_TABLE;
        case M::NoFreePlace: return IDS_PASTE_NO_ROOM;
        case M::BadReplay: return IDS_BAD_REPLAY;
        case M::OutsideArea: return IDS_OUTSIDE_AREA;
        case M::MirrorImageThere: return IDS_MIRROR_IMAGE_THERE;
    }
    return 0;
}

}  // namespace

bw::MessageAnswer TableDialog::Ask(const bw::MessageRequest& request) {
    std::string text = win::FormatArgument(win::LoadResString(TextOf(request.message)), request.argument);
    if (!request.detail.empty()) text += "\n" + request.detail;
    static constexpr UINT kButtons[] = {MB_OK, MB_YESNO, MB_YESNOCANCEL};
    static constexpr UINT kIcons[] = {0, MB_ICONINFORMATION, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONSTOP};
    const int answer = win::AppMessageBox(
        hwnd(), text, kButtons[static_cast<int>(request.buttons)] | kIcons[static_cast<int>(request.icon)]);
    switch (answer) {
        case IDYES: return bw::MessageAnswer::Yes;
        case IDNO: return bw::MessageAnswer::No;
        case IDCANCEL: return bw::MessageAnswer::Cancel;
        default: return bw::MessageAnswer::Ok;
    }
}

bool TableDialog::IsActive() const { return hwnd() && GetActiveWindow() == hwnd(); }

void TableDialog::CaptureMouse(bool capture) {
    if (capture) SetCapture(hwnd());
    else if (GetCapture() == hwnd()) ReleaseCapture();
}

void TableDialog::TextsChanged() {
    // The editor's texts only: the speed is the user's to type (the editor's
    // texts change with every move of the mouse), and is read when play
    // starts.
    win::SetText(GetDlgItem(hwnd(), IDC_COORDINATES), editor_->coordinatesText());
    win::SetText(GetDlgItem(hwnd(), IDC_STATUS), editor_->statusText());
    win::SetText(GetDlgItem(hwnd(), IDC_SCORE), editor_->scoreText());
}

void TableDialog::ScoreChanged() {
    // Of the texts only the score is written: asking every control for its
    // text would cost more than the tick.
    win::SetItemText(hwnd(), IDC_SCORE, editor_->scoreText());
}

void TableDialog::ToolChanged() {
    const UINT checked = editor_->tool() != bw::kNoTool ? editor_->tool() + kToolCommandOffset : 0;
    win::CheckOneCommand(toolBar_.get(), GetMenu(hwnd()), kFirstToolCommand, kLastToolCommand, checked);
}

void TableDialog::PlayStarted() {
    SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hwnd(), IDC_EDIT_MODE)), TRUE);
    win::EnableItems(hwnd(), {IDC_SEND, IDC_CLEAR}, false);
}

void TableDialog::PlayStopped() {
    KillTimer(hwnd(), kPlayTimer);
    IdleSoon();  // a fresh check follows play
    win::EnableItems(hwnd(), {IDC_SEND, IDC_CLEAR}, true);
}

void TableDialog::FileChanged() { win::SetText(hwnd(), editor_->Title(win::AppTitle())); }

bool TableDialog::PutOnClipboard(const std::string& text) { return win::SetClipboardText(hwnd(), text); }

std::optional<std::string> TableDialog::ClipboardText(size_t most) { return win::ClipboardText(hwnd(), most); }

bool TableDialog::ClipboardHasText() const { return win::ClipboardHasText(); }

void TableDialog::FindingsDropped() {
    if (!checking_) checkDialog_.reset();
}

// ---- shut-down ----------------------------------------------------------------

void TableDialog::OnDestroy() {
    liveChecks_.End();  // its threads end before the window and the editor go
    editor_->Settle();
    editor_->DropFindings();
    KillTimer(hwnd(), kPlayTimer);
    KillTimer(hwnd(), kRecoveryTimer);
}

}  // namespace ui

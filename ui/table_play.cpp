// Play: Start, Edit and Clear, the play tick on the window's timer, the
// play keys, and the key releases on activation and on entering the menus.
//
// The tick itself is the game's own (bw::PlayTick, the same code that
// bwtool simulate runs); the window only adds the repaint of what the tick
// changed, the score label and the minimized check. In play the table is
// drawn into the back buffer and copied out, and only the invalid area of
// the window changes.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "model/paint.h"
#include "physics/game.h"
#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/message_box.h"

namespace ui {

namespace {

bool IsPlayKey(WPARAM key) { return key == bw::kKeyZ || key == bw::kKeyX || key == bw::kKeySpace; }

bool Touches(const bw::Rect& a, const bw::Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A surface that passes on only the drawing that reaches a given area.
// Drawing elsewhere could not change what the paint shows, and leaving it
// out spares a system call for each piece far from the ball.
class AreaSurface final : public bw::Surface {
public:
    // `area`: the rectangles of the area, and `bounds` the box around them.
    AreaSurface(bw::Surface& target, const std::vector<bw::Rect>& area, const bw::Rect& bounds)
        : target_(target), area_(area), bounds_(bounds) {}

    bw::RasterMode SetRasterMode(bw::RasterMode mode) override { return target_.SetRasterMode(mode); }
    bw::Pen SelectPen(const bw::Pen& pen) override {
        penWidth_ = pen.width;
        return target_.SelectPen(pen);
    }
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override {
        // A wide pen reaches about half its width beyond the line; a
        // margin of the whole width (and one pixel) is on the safe side.
        const int32_t m = std::max(penWidth_, 1) + 1;
        if (Reaches({std::min(x1, x2) - m, std::min(y1, y2) - m, std::max(x1, x2) + m, std::max(y1, y2) + m}))
            target_.Line(x1, y1, x2, y2);
    }
    void FillRect(const bw::Rect& r, bw::Color color) override {
        if (Reaches(r)) target_.FillRect(r, color);
    }
    void DrawImage(const bw::ImageList& images, int index, int32_t x, int32_t y) override {
        if (Reaches({x, y, x + images.Width(), y + images.Height()})) target_.DrawImage(images, index, x, y);
    }

private:
    bool Reaches(const bw::Rect& r) const {
        if (!Touches(r, bounds_)) return false;
        for (const bw::Rect& a : area_)
            if (Touches(r, a)) return true;
        return false;
    }

    bw::Surface& target_;
    const std::vector<bw::Rect>& area_;
    bw::Rect bounds_;
    int32_t penWidth_ = 8;  // until a pen is selected through this surface
};

// The rectangles of a system region.
std::vector<bw::Rect> RectsOf(HRGN region) {
    std::vector<bw::Rect> rects;
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size == 0) return rects;
    std::vector<char> data(size);
    auto* rd = reinterpret_cast<RGNDATA*>(data.data());
    if (GetRegionData(region, size, rd) == 0) return rects;
    const auto* r = reinterpret_cast<const RECT*>(rd->Buffer);
    for (DWORD i = 0; i < rd->rdh.nCount; ++i) rects.push_back({r[i].left, r[i].top, r[i].right, r[i].bottom});
    return rects;
}

struct PaintArea {
    win::OwnedRegion region;
    std::vector<bw::Rect> rects;
    bw::Rect bounds{};
};

// The part of the window that drawing on `dc` can change, in client
// coordinates: in a paint, the invalid area (as far as it is visible)
// within the clipping; otherwise the clipping alone.
PaintArea AreaOf(HDC dc) {
    PaintArea area;
    RECT box{};
    if (GetClipBox(dc, &box) == NULLREGION || IsRectEmpty(&box)) return area;
    area.region.reset(CreateRectRgnIndirect(&box));
    if (!area.region) return area;
    if (HWND window = WindowFromDC(dc)) {
        // The system region comes in screen coordinates.
        win::OwnedRegion system(CreateRectRgn(0, 0, 0, 0));
        POINT origin{0, 0};
        if (system && GetRandomRgn(dc, system.get(), SYSRGN) == 1 && ClientToScreen(window, &origin)) {
            OffsetRgn(system.get(), -origin.x, -origin.y);
            CombineRgn(area.region.get(), area.region.get(), system.get(), RGN_AND);
        }
    }
    area.rects = RectsOf(area.region.get());
    RECT bounds{};
    GetRgnBox(area.region.get(), &bounds);
    area.bounds = {bounds.left, bounds.top, bounds.right, bounds.bottom};
    return area;
}

}  // namespace

// ---- Start, Edit, Clear ----------------------------------------------------------

void TableDialog::StartPlay() {
    if (mode == EditMode::Playing || !root) return;
    // The speed comes from its (hidden) edit box.
    UpdateData(true);
    timerId = SetTimer(hwnd(), 1, static_cast<UINT>(speed), nullptr);
    EndDrag();
    // A drag that EndDrag could not end (the window is not the active one)
    // still gives its piece back before the table is reset.
    if (mode == EditMode::Dragging) PutBackDraggedPiece();
    DropFindings();
    // Every play is recorded, for Save replay.
    playback.reset();
    playbackKeys.reset();
    recorder.Start(*root, state);
    bw::StartGame(state);  // Reset to the root, score and paramA cleared
    InvalidateRect(hwnd(), &playfield, TRUE);
    ResetToolButtons();
    SendMessageA(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hwnd(), IDC_EDIT_MODE)), TRUE);
    EnableWindow(GetDlgItem(hwnd(), IDC_SEND), FALSE);
    EnableWindow(GetDlgItem(hwnd(), IDC_CLEAR), FALSE);
    EndBorder();
    currentPiece = nullptr;
    // The copy of unsaved changes is brought up to date now: in play the
    // table does not change and the copy is not written.
    UpdateRecovery();
    mode = EditMode::Playing;
}

void TableDialog::ClearTable() {
    // Clear is disabled in play; a command that comes anyway is not taken.
    if (!root || mode == EditMode::Playing) return;
    if (mode == EditMode::DrawingBorder) {
        EndBorder();
        return;
    }
    if (tool == kPointerTool && currentPiece) {
        DeleteSelected();
        RecordStep();
        return;
    }
    if (!root->FirstChild()) return;
    if (win::AppMessageBox(hwnd(), IDS_CLEAR_QUESTION, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    root->DeleteChildren();
    // Nothing may point into the table that is gone.
    currentPiece = nullptr;
    currentGroup = root.get();
    InvalidateRect(hwnd(), &playfield, TRUE);
    mode = EditMode::Editing;
    recordCount = 1;
    state.score = 0;
    scoreText = "0";
    UpdateData(false);
    RecordStep();  // Undo brings the whole table back
}

// ---- the tick ------------------------------------------------------------------------

bool TableDialog::OnTimer(UINT_PTR id) {
    if (id == kRecoveryTimer) UpdateRecovery();
    else PlayStep();
    return false;
}

void TableDialog::PlayStep() {
    // A tick already queued when play stopped finds the window editing.
    if (mode != EditMode::Playing || !root) return;
    if (IsIconic(hwnd())) return;
    if (playbackKeys) {
        // A replay: its own keys; at its end the game stands still.
        if (playbackKeys->Ticks() >= playback->ticks) return;
        playbackKeys->Tick(state, true);
    } else {
        bw::PlayTick(state, true);
        recorder.Tick(state);
    }
    if (!root->dirtyRegion.IsEmpty()) {
        const win::OwnedRegion dirty = win::MakeSystemRegion(root->dirtyRegion);
        InvalidateRgn(hwnd(), dirty.get(), FALSE);
    }
    root->dirtyRegion.SetEmpty();
    char text[16];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(static_cast<uint32_t>(state.score)));
    // The controls show the fields (every change of a text is written out
    // at once), and of the texts only the score can have changed here: it
    // alone is written, and only when it changed. Writing all of them would
    // ask each control for its text, which costs more than the tick.
    if (scoreText != text) {
        scoreText = text;
        SetDlgItemTextA(hwnd(), IDC_SCORE, scoreText.c_str());
    }
}

void TableDialog::PaintPlayBuffer(HDC dc) {
    const PaintArea area = AreaOf(dc);
    if (area.rects.empty()) return;
    // The whole table is drawn, but only what reaches the area this paint
    // changes goes into the buffer; the buffer is then copied out, and the
    // paint's clipping keeps the rest of the window as it is.
    HDC buffer = memoryDC.get();
    SelectClipRgn(buffer, area.region.get());
    {
        win::DcSurface target(buffer, gdi);
        AreaSurface reaching(target, area.rects, area.bounds);
        bw::PaintTable(state, reaching, true);
    }
    SelectClipRgn(buffer, nullptr);
    BitBlt(dc, 0, 0, 250, 200, buffer, 0, 0, SRCCOPY);
}

// ---- keys, activation, menus ----------------------------------------------------------

void TableDialog::ReleaseKeys() {
    // A replay's game has only its own keys.
    if (playbackKeys) return;
    if (mode == EditMode::Playing)
        for (int32_t key : {bw::kKeyZ, bw::kKeyX, bw::kKeySpace}) recorder.Key(key, false);
    bw::ReleaseKeys(state);
}

bool TableDialog::HandlePlayKey(const MSG& msg) {
    // Every message seen here leaves its first parameter in paramA and
    // whether it is a key-down in paramB; whoever sends a message that
    // reads them sets them again.
    state.paramA = static_cast<int32_t>(msg.wParam);
    state.paramB = msg.message == WM_KEYDOWN ? 1 : 0;
    if (mode != EditMode::Playing) return false;
    if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP) return false;
    if (!IsPlayKey(msg.wParam)) return false;
    if (playbackKeys) return true;  // a replay plays its own keys
    // A held key repeats its key-down: each one reaches the table.
    bw::SendKey(state, static_cast<int32_t>(msg.wParam), msg.message == WM_KEYDOWN);
    recorder.Key(static_cast<int32_t>(msg.wParam), msg.message == WM_KEYDOWN);
    return true;
}

bool TableDialog::OnActivate(UINT how, HWND other) {
    if (activationDefaultRunning) return false;  // the dialog manager's turn
    // The dialog manager's handling first (it gives the focus back to the
    // control that had it), then the keys: keys held while another window
    // was active never reached this one.
    activationDefaultRunning = true;
    const WPARAM wp = MAKEWPARAM(how, IsIconic(hwnd()) ? 1 : 0);
    DefDlgProcA(hwnd(), WM_ACTIVATE, wp, reinterpret_cast<LPARAM>(other));
    activationDefaultRunning = false;
    if (how != WA_INACTIVE && root) ReleaseKeys();
    return true;
}

bool TableDialog::OnSysCommand(UINT command, LPARAM) {
    // Entering the menu bar or the system menu: the menu's own loop takes
    // the key-ups of keys held now.
    const UINT code = command & 0xFFF0;
    if (code == SC_KEYMENU || code == SC_MOUSEMENU) ReleaseKeys();
    return false;
}

}  // namespace ui

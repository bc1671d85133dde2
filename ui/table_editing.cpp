// Editing the table with the mouse and keys: placing pieces, drawing
// borders click by click, selecting, dragging, nudging and deleting.
//
// Transient pictures (the piece being placed or dragged, the border segment
// under the mouse, the selection frame) are drawn in XOR straight on the
// window; everything else is repainted through invalidation of the regions
// that changed, never the whole playfield.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <optional>

#include "files/table_file.h"
#include "model/paint.h"
#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace ui {

using bw::PieceMessage;

RECT AllowedClickArea(int32_t tool) {
    switch (tool) {
        case bw::kLeftFlipper: return {0, 0, 229, 195};
        case bw::kRightFlipper: return {20, 0, 249, 195};
        case bw::kCannon: return {5, 5, 244, 194};
        default: return {0, 0, 249, 199};
    }
}

namespace {

POINT MadeEven(POINT p) { return {p.x & ~1L, p.y & ~1L}; }

// Records a piece stands for in the editor's count: a cannon counts 2, a
// border polyline its start point, segments and end record.
int32_t CountedRecords(const bw::TablePiece& piece) {
    int32_t n = 1;
    if (piece.kind == bw::kCannon) ++n;
    if (piece.kind == bw::kGroup) {
        ++n;
        const auto& group = static_cast<const bw::PieceGroup&>(piece);
        for (const bw::TablePiece* c = group.FirstChild(); c && c->next; c = c->next.get()) ++n;
    }
    return n;
}

}  // namespace

void TableDialog::InvalidatePieceRegion(const bw::TablePiece& piece, bool erase) {
    win::OwnedRegion rgn = win::MakeSystemRegion(piece.region);
    InvalidateRgn(hwnd(), rgn.get(), erase);
}

int32_t TableDialog::FileRecordsAfter(int32_t added) const {
    if (!root) return added;
    int32_t needed = bw::RecordsNeeded(*root);
    // The segment under the mouse is dropped when the border ends: the
    // file never holds it.
    if (mode == EditMode::DrawingBorder && currentPiece) --needed;
    return needed + added;
}

bool TableDialog::AdditionRefused(int32_t fileRecords, int32_t countedRecords) {
    // The editor's own count, and what a table file can hold: whatever the
    // user builds can be saved and loaded back whole. (A single piece is
    // refused only once the count is full, so a cannon may pass it by one.)
    if (recordCount + countedRecords - 1 < bw::kMaxRecords && FileRecordsAfter(fileRecords) <= bw::kMaxRecords)
        return false;
    win::AppMessageBox(hwnd(), IDS_TOO_COMPLEX, MB_OK);
    return true;
}

// ---- tools ----------------------------------------------------------------------

void TableDialog::SelectTool(UINT command) {
    if (mode == EditMode::Playing) {
        StopPlay();
        SendMessageA(toolBar.get(), TB_CHECKBUTTON, command, TRUE);
    }
    if (mode == EditMode::Dragging) PutBackDraggedPiece();
    if (tool == kPointerTool) ToggleSelectionFrame(nullptr);
    EndBorder();
    currentPiece = nullptr;
    tool = static_cast<int32_t>(command) - kToolCommandOffset;
    statusText = win::LoadResString(command);
    UpdateData(false);
}

void TableDialog::ResetToolButtons() {
    for (UINT id = kFirstToolCommand; id <= kLastToolCommand; ++id)
        SendMessageA(toolBar.get(), TB_CHECKBUTTON, id, FALSE);
    tool = kNoTool;
    statusText.clear();
    UpdateData(false);
}

void TableDialog::StopPlay() {
    if (mode != EditMode::Playing) return;
    FinishPlay();
    KillTimer(hwnd(), timerId);
    mode = EditMode::Editing;
    if (root) root->HandleMessage(PieceMessage::Reset);
    InvalidateRect(hwnd(), &playfield, TRUE);
    ResetToolButtons();
    EnableWindow(GetDlgItem(hwnd(), IDC_SEND), TRUE);
    EnableWindow(GetDlgItem(hwnd(), IDC_CLEAR), TRUE);
    if (root) root->HandleMessage(PieceMessage::RebuildRegion);
}

// ---- window drawing -----------------------------------------------------------------

void TableDialog::DrawCurrentPiece(bool xorMode) {
    if (tool <= 0 || !currentPiece || !hwnd()) return;
    win::HiddenCursor hidden;
    win::WindowDc dc(hwnd());
    IntersectClipRect(dc.get(), playfield.left, playfield.top, playfield.right, playfield.bottom);
    {
        win::DcSurface target(dc.get(), gdi);
        target.SelectPen(bw::kPiecePen);
        target.SetRasterMode(xorMode ? bw::RasterMode::XorPen : bw::RasterMode::CopyPen);
        state.drawTarget = &target;
        currentPiece->HandleMessage(PieceMessage::Draw);
        state.drawTarget = nullptr;
    }
}

void TableDialog::ToggleSelectionFrame(HDC given) {
    if (!currentPiece || currentPiece->kind == bw::kGroup || currentPiece->kind == bw::kBorderSegment) return;
    if (!hwnd()) return;
    win::HiddenCursor hidden;
    std::optional<win::WindowDc> own;
    HDC dc = given;
    if (!dc) dc = own.emplace(hwnd()).get();
    win::SavedDcState keep(dc);
    IntersectClipRect(dc, playfield.left, playfield.top, playfield.right, playfield.bottom);
    bw::Rect box = currentPiece->region.Box();
    box.Inflate(5, 5);
    win::DcSurface target(dc, gdi);
    target.SelectPen(bw::kFramePen);
    target.SetRasterMode(bw::RasterMode::XorPen);
    target.Line(box.left, box.top, box.right, box.top);
    target.Line(box.right, box.top, box.right, box.bottom);
    target.Line(box.right, box.bottom, box.left, box.bottom);
    target.Line(box.left, box.bottom, box.left, box.top);
}

bool TableDialog::MoveCurrentPiece(int32_t dx, int32_t dy, bool copy) {
    if (!currentPiece) return false;
    state.paramA = dx >> 1;
    state.paramB = dy >> 1;
    if (!currentPiece->FitsIn(playfield.left, playfield.top, playfield.right >> 1, playfield.bottom >> 1))
        return false;
    if (tool == bw::kBorderSegment) DrawCurrentPiece(true);
    else InvalidatePieceRegion(*currentPiece, false);
    ToggleSelectionFrame(nullptr);
    if (mode == EditMode::DrawingBorder) bw::Placed(*currentPiece).MoveBy(state.paramA, state.paramB);
    else currentPiece->HandleMessage(PieceMessage::Move);
    DrawCurrentPiece(!copy);
    ToggleSelectionFrame(nullptr);
    return true;
}

// ---- mouse ----------------------------------------------------------------------------

bool TableDialog::OnLButtonDown(UINT, POINT raw) {
    if (!PtInRect(&playfield, raw) || !IsActiveWindow() || !root) return false;
    const POINT p = MadeEven(raw);
    if (mode == EditMode::DrawingBorder) {
        if (!AdditionRefused(1, 1)) {
            MoveCurrentPiece(p.x - lastMouse.x, p.y - lastMouse.y, false);
            DrawCurrentPiece(false);
            currentPiece = bw::CreatePiece(currentGroup, bw::kBorderSegment, p.x >> 1, p.y >> 1);
            if (currentPiece) ++recordCount;
            saved = false;
        }
    } else if (mode == EditMode::Editing) {
        if (!PlaceOrSelect(p)) return false;
    }
    lastMouse = p;
    return false;
}

// A click in Editing mode. False when the tool's allowed area refused the
// click, which then changes nothing at all.
bool TableDialog::PlaceOrSelect(POINT p) {
    if (tool == kPointerTool) {
        bw::TablePiece* hit = root->PieceAt(p.x, p.y);
        if (!hit) return true;
        if (hit != currentPiece) {
            ToggleSelectionFrame(nullptr);
            currentPiece = hit;
            ToggleSelectionFrame(nullptr);
        }
        mode = EditMode::Dragging;
        SetCapture(hwnd());
        draggedPiece = root->RemoveChild(hit);
        saved = false;
        return true;
    }
    if (tool < bw::kObstacle10 || tool > bw::kBorderSegment) return true;
    // A border is begun only with room for its start, one corner and its
    // end; whatever is begun can be finished.
    const int32_t needed = tool == bw::kBorderSegment ? 3 : 1;
    if (AdditionRefused(needed, needed)) return true;
    if (tool == bw::kBorderSegment) {
        currentGroup = bw::AsGroup(bw::CreatePiece(root.get(), bw::kBorderStart, p.x >> 1, p.y >> 1));
        if (!currentGroup) return true;
        mode = EditMode::DrawingBorder;
        ++recordCount;
    } else {
        const RECT area = AllowedClickArea(tool);
        if (!PtInRect(&area, p)) return false;
        currentGroup = root.get();
    }
    currentPiece = bw::CreatePiece(currentGroup, tool, p.x >> 1, p.y >> 1);
    if (!currentPiece) return true;
    recordCount += tool == bw::kCannon ? 2 : 1;
    DrawCurrentPiece(true);
    // A piece is one step; a border becomes one when it ends.
    if (mode == EditMode::DrawingBorder) saved = false;
    else RecordStep();
    return true;
}

bool TableDialog::OnMouseMove(UINT, POINT raw) {
    const POINT p = MadeEven(raw);
    if (!PtInRect(&playfield, p) || !IsActiveWindow()) return false;
    char text[32];
    std::snprintf(text, sizeof text, "(%ld,%ld)", static_cast<long>(p.x / 2), static_cast<long>(p.y / 2));
    coordinatesText = text;
    UpdateData(false);
    if (mode == EditMode::DrawingBorder || mode == EditMode::Dragging)
        MoveCurrentPiece(p.x - lastMouse.x, p.y - lastMouse.y, false);
    lastMouse = p;
    return false;
}

bool TableDialog::OnLButtonUp(UINT, POINT) {
    EndDrag();
    return false;
}

bool TableDialog::OnRButtonDown(UINT, POINT) {
    if (IsActiveWindow() && mode == EditMode::DrawingBorder) EndBorder();
    return false;
}

bool TableDialog::OnLButtonDblClk(UINT, POINT raw) {
    // The click before it fixed a vertex here and started a new segment:
    // ending the border drops that segment.
    if (mode == EditMode::DrawingBorder && IsActiveWindow() && PtInRect(&playfield, raw)) EndBorder();
    return false;
}

// ---- ending operations ------------------------------------------------------------------

void TableDialog::PutBackDraggedPiece() {
    if (GetCapture() == hwnd()) ReleaseCapture();
    if (draggedPiece && root) root->AppendChild(std::move(draggedPiece));
    draggedPiece.reset();
    mode = EditMode::Editing;
    RecordStep();  // the drag, from press to release, is one step
}

void TableDialog::EndDrag() {
    if (mode != EditMode::Dragging || !IsActiveWindow()) return;
    PutBackDraggedPiece();
    DrawCurrentPiece(false);
    mode = EditMode::Editing;
    tool = kPointerTool;
}

void TableDialog::EndBorder() {
    // A drag is never left hanging: its piece goes back into the table.
    if (mode == EditMode::Dragging) PutBackDraggedPiece();
    const bool drawing = mode == EditMode::DrawingBorder && root;
    if (drawing) {
        bw::PieceGroup* group = currentGroup;
        std::unique_ptr<bw::TablePiece> segment;
        if (group && currentPiece) segment = group->RemoveChild(currentPiece);
        const bool onlyStart = group && group->FirstChild() && !group->FirstChild()->next;
        if (onlyStart) recordCount -= 2;
        if (segment) {
            segment->HandleMessage(PieceMessage::RebuildRegion);
            InvalidatePieceRegion(*segment, false);
            segment.reset();
        }
        currentPiece = nullptr;
        if (onlyStart && group != root.get()) {
            root->RemoveChild(group);  // handed back and deleted
            currentGroup = nullptr;
        }
        root->HandleMessage(PieceMessage::RebuildRegion);
    }
    mode = EditMode::Editing;
    if (drawing) RecordStep();  // the whole border is one step
}

void TableDialog::DeleteSelected() {
    if (mode != EditMode::Editing || tool != kPointerTool || !currentPiece || !root) return;
    recordCount -= CountedRecords(*currentPiece);
    InvalidatePieceRegion(*currentPiece, true);
    ToggleSelectionFrame(nullptr);
    root->RemoveChild(currentPiece);  // handed back and deleted
    currentPiece = nullptr;
}

// ---- keys -----------------------------------------------------------------------------------

bool TableDialog::PreTranslateMessage(MSG& msg) {
    if (toolTip) SendMessageA(toolTip.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    if (msg.message == WM_MOUSEMOVE) ReleaseToolButtons(msg.lParam);
    if (HandlePlayKey(msg)) return true;
    if (msg.message == WM_KEYDOWN) return HandleShortcut(msg) || HandleEditingKey(msg);
    return false;
}

// A toolbar button shown pressed but not checked is released when the
// mouse leaves it.
void TableDialog::ReleaseToolButtons(LPARAM position) {
    static POINT previous{0, 0};
    const POINT now{static_cast<LONG>(LOWORD(position)), static_cast<LONG>(static_cast<SHORT>(HIWORD(position)))};
    if (toolBar) {
        for (UINT id = ID_FILE_OPEN; id <= kLastToolCommand; ++id) {
            RECT r{};
            if (!SendMessageA(toolBar.get(), TB_GETRECT, id, reinterpret_cast<LPARAM>(&r))) continue;
            if (PtInRect(&r, now) || !PtInRect(&r, previous)) continue;
            if (!SendMessageA(toolBar.get(), TB_ISBUTTONCHECKED, id, 0) &&
                SendMessageA(toolBar.get(), TB_ISBUTTONPRESSED, id, 0))
                SendMessageA(toolBar.get(), TB_PRESSBUTTON, id, FALSE);
        }
    }
    previous = now;
}

bool TableDialog::HandleEditingKey(const MSG& msg) {
    const bool pointerOnPiece = tool == kPointerTool && currentPiece;
    // F1 is left to the system, whose help request (WM_HELP) opens the
    // help once; Del is a shortcut of the Edit menu.
    switch (msg.wParam) {
        case VK_ESCAPE: return true;  // never closes the window
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
            if (mode == EditMode::Playing || !pointerOnPiece) return false;
            const int32_t dx = msg.wParam == VK_LEFT ? -2 : msg.wParam == VK_RIGHT ? 2 : 0;
            const int32_t dy = msg.wParam == VK_UP ? -2 : msg.wParam == VK_DOWN ? 2 : 0;
            // A run of nudges of one piece is one step.
            if (MoveCurrentPiece(dx, dy, true)) {
                RecordStep(true);
                lastNudged = currentPiece;
            }
            return true;
        }
        default: return false;
    }
}

}  // namespace ui

#include "ui/check_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "files/win/wide_text.h"
#include "win/resources.h"

namespace ui {

namespace {

RECT PlaceOf(HWND dialog, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

BOOL CheckDialog::OnInitDialog() {
    win::Dialog::OnInitDialog();
    RECT outer{}, client{};
    GetWindowRect(hwnd(), &outer);
    GetClientRect(hwnd(), &client);
    smallest_ = {outer.right - outer.left, outer.bottom - outer.top};
    client_ = {client.right, client.bottom};
    list_ = PlaceOf(hwnd(), IDC_CHECK_FINDINGS);
    summary_ = PlaceOf(hwnd(), IDC_CHECK_SUMMARY);
    progress_ = PlaceOf(hwnd(), IDC_CHECK_PROGRESS);
    close_ = PlaceOf(hwnd(), IDCANCEL);
    SetDlgItemTextW(hwnd(), IDC_CHECK_SUMMARY, bw::Wide(win::LoadResString(IDS_CHECK_RUNNING)).c_str());
    SendDlgItemMessageW(hwnd(), IDC_CHECK_PROGRESS, PBM_SETRANGE32, 0, 1000);
    return TRUE;
}

void CheckDialog::SetProgress(int64_t done, int64_t total) {
    const LPARAM pos = total > 0 ? static_cast<LPARAM>(done * 1000 / total) : 0;
    SendDlgItemMessageW(hwnd(), IDC_CHECK_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

void CheckDialog::ShowFindings(const bw::PlaytestReport& report) {
    running_ = false;
    HWND list = GetDlgItem(hwnd(), IDC_CHECK_FINDINGS);
    auto add = [&](const std::string& text, int data) {
        const LRESULT i = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(bw::Wide(text).c_str()));
        if (i >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(i), data);
    };
    // Filled without a repaint per line: a full table can have hundreds.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    // Traps first: a ball caught for good matters more than a piece it
    // never reaches, and a long list of those must not hide it.
    const std::string trap = win::LoadResString(IDS_CHECK_TRAP);
    for (size_t j = 0; j < report.traps.size(); ++j)
        add(win::FormatArgument(trap, bw::TrapText(report, report.traps[j])), -2 - static_cast<int>(j));
    // Then a ball that never drains: the games never end.
    if (report.EndlessFinding()) add(win::FormatArgument(win::LoadResString(IDS_CHECK_ENDLESS), bw::EndlessText(report)), -1);
    const std::string unreached = win::LoadResString(IDS_CHECK_UNREACHED);
    for (int32_t i : report.Unreached()) {
        const bw::PieceFacts& p = report.pieces[static_cast<size_t>(i)];
        add(win::FormatArgument(unreached, p.kind + " at (" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")"),
            i);
    }
    if (!report.HasFindings()) add(win::LoadResString(IDS_CHECK_CLEAN), -1);
    // The list scrolls sideways as far as its longest line reaches.
    {
        HDC dc = GetDC(list);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
        LONG widest = 0;
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
            if (length <= 0) continue;
            std::wstring text(static_cast<size_t>(length) + 1, L'\0');
            const LRESULT n = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
            SIZE size{};
            if (n > 0 && GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(n), &size)) widest = std::max(widest, size.cx);
        }
        SelectObject(dc, old);
        ReleaseDC(list, dc);
        SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    std::string figures = bw::FiguresText(report);
    for (size_t at = 0; (at = figures.find('\n', at)) != std::string::npos;) figures.replace(at, 1, "\r\n"), at += 2;
    SetDlgItemTextW(hwnd(), IDC_CHECK_SUMMARY, bw::Wide(figures).c_str());
    ShowWindow(GetDlgItem(hwnd(), IDC_CHECK_PROGRESS), SW_HIDE);
    SetDlgItemTextW(hwnd(), IDCANCEL, bw::Wide(win::LoadResString(IDS_CHECK_CLOSE)).c_str());
}

bool CheckDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_CHECK_FINDINGS && code == LBN_SELCHANGE) {
        const LRESULT i = SendMessageW(control, LB_GETCURSEL, 0, 0);
        if (i >= 0 && onChoose) onChoose(static_cast<int>(SendMessageW(control, LB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
        return true;
    }
    return win::Dialog::OnCommand(id, code, control);
}

bool CheckDialog::OnSize(UINT type, int width, int height) {
    if (type == SIZE_MINIMIZED || client_.cx == 0) return false;
    const int dx = width - client_.cx, dy = height - client_.cy;
    auto place = [&](int id, const RECT& r, bool wider, bool taller, bool moveX, bool moveY) {
        SetWindowPos(GetDlgItem(hwnd(), id), nullptr, r.left + (moveX ? dx : 0), r.top + (moveY ? dy : 0),
                     r.right - r.left + (wider ? dx : 0), r.bottom - r.top + (taller ? dy : 0), SWP_NOZORDER);
    };
    place(IDC_CHECK_SUMMARY, summary_, true, false, false, false);
    place(IDC_CHECK_PROGRESS, progress_, true, false, false, false);
    place(IDC_CHECK_FINDINGS, list_, true, true, false, false);
    place(IDCANCEL, close_, false, false, true, true);
    InvalidateRect(hwnd(), nullptr, TRUE);
    return true;
}

bool CheckDialog::OnGetMinMaxInfo(MINMAXINFO& info) {
    if (smallest_.cx == 0) return false;
    info.ptMinTrackSize = {smallest_.cx, smallest_.cy};
    return true;
}

void CheckDialog::OnCancel() {
    // While the games run, Cancel stops them (the owner then closes the
    // window); afterwards it closes the findings.
    if (running_) running_ = false;
    else EndDialog(IDCANCEL);
}

}  // namespace ui

#include "ui/check_dialog.h"

#include <commctrl.h>

#include <string>

#include "files/win/wide_text.h"
#include "win/resources.h"

namespace ui {

BOOL CheckDialog::OnInitDialog() {
    win::Dialog::OnInitDialog();
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
    const std::string unreached = win::LoadResString(IDS_CHECK_UNREACHED);
    for (int32_t i : report.Unreached()) {
        const bw::PieceFacts& p = report.pieces[static_cast<size_t>(i)];
        add(win::FormatArgument(unreached, p.kind + " at (" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")"),
            i);
    }
    const std::string trap = win::LoadResString(IDS_CHECK_TRAP);
    for (size_t j = 0; j < report.traps.size(); ++j)
        add(win::FormatArgument(trap, bw::TrapText(report, report.traps[j])), -2 - static_cast<int>(j));
    if (report.EndlessFinding()) add(win::FormatArgument(win::LoadResString(IDS_CHECK_ENDLESS), bw::EndlessText(report)), -1);
    if (!report.HasFindings()) add(win::LoadResString(IDS_CHECK_CLEAN), -1);
    SendMessageW(list, LB_SETHORIZONTALEXTENT, 1600, 0);
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

void CheckDialog::OnCancel() {
    // While the games run, Cancel stops them (the owner then closes the
    // window); afterwards it closes the findings.
    if (running_) running_ = false;
    else EndDialog(IDCANCEL);
}

}  // namespace ui

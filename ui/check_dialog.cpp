#include "ui/check_dialog.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "win/controls.h"
#include "win/resources.h"

namespace ui {

BOOL CheckDialog::OnInitDialog() {
    win::Dialog::OnInitDialog();
    using L = win::GrowingLayout;
    layout_.Note(hwnd(), {{IDC_CHECK_SUMMARY, L::kWider},
                          {IDC_CHECK_PROGRESS, L::kWider},
                          {IDC_CHECK_FINDINGS, L::kWider | L::kTaller},
                          {IDCANCEL, L::kRight | L::kBottom}});
    win::SetItemText(hwnd(), IDC_CHECK_SUMMARY, win::LoadResString(IDS_CHECK_RUNNING));
    SendDlgItemMessageW(hwnd(), IDC_CHECK_PROGRESS, PBM_SETRANGE32, 0, 1000);
    return TRUE;
}

void CheckDialog::SetProgress(int64_t done, int64_t total) {
    const LPARAM pos = total > 0 ? static_cast<LPARAM>(done * 1000 / total) : 0;
    SendDlgItemMessageW(hwnd(), IDC_CHECK_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

void CheckDialog::ShowFindings(const bw::PlaytestReport& report) {
    running_ = false;
    std::vector<win::ListLine> lines;
    // Traps first: a ball caught for good matters more than a piece it
    // never reaches, and a long list of those must not hide it.
    const std::string trap = win::LoadResString(IDS_CHECK_TRAP);
    for (size_t j = 0; j < report.traps.size(); ++j)
        lines.emplace_back(win::FormatArgument(trap, bw::TrapText(report, report.traps[j])), -2 - static_cast<int>(j));
    // Then a ball that never drains: the games never end.
    if (report.EndlessFinding())
        lines.emplace_back(win::FormatArgument(win::LoadResString(IDS_CHECK_ENDLESS), bw::EndlessText(report)), -1);
    const std::string unreached = win::LoadResString(IDS_CHECK_UNREACHED);
    for (int32_t i : report.Unreached()) {
        const bw::PieceFacts& p = report.pieces[static_cast<size_t>(i)];
        const std::string place = p.kind + " at (" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
        lines.emplace_back(win::FormatArgument(unreached, place), i);
    }
    if (!report.HasFindings()) lines.emplace_back(win::LoadResString(IDS_CHECK_CLEAN), -1);
    win::FillListBox(GetDlgItem(hwnd(), IDC_CHECK_FINDINGS), lines);
    win::SetItemText(hwnd(), IDC_CHECK_SUMMARY, win::WithCrLf(bw::FiguresText(report)));
    ShowWindow(GetDlgItem(hwnd(), IDC_CHECK_PROGRESS), SW_HIDE);
    win::SetItemText(hwnd(), IDCANCEL, win::LoadResString(IDS_CHECK_CLOSE));
}

bool CheckDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_CHECK_FINDINGS && code == LBN_SELCHANGE) {
        const std::optional<LPARAM> finding = win::SelectedListData(control);
        if (finding && onChoose) onChoose(static_cast<int>(*finding));
        return true;
    }
    return win::Dialog::OnCommand(id, code, control);
}

bool CheckDialog::OnSize(UINT type, int width, int height) { return layout_.Place(type, width, height); }

bool CheckDialog::OnGetMinMaxInfo(MINMAXINFO& info) { return layout_.LimitSize(info); }

void CheckDialog::OnCancel() {
    // While the games run, Cancel stops them (the owner then closes the
    // window); afterwards it closes the findings.
    if (running_) running_ = false;
    else EndDialog(IDCANCEL);
}

}  // namespace ui

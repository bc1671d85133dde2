// The check's window beside the main window: progress and Cancel while the
// table is played, then the findings in a list and the figures above it.
#pragma once

#include <windows.h>

#include <functional>

#include "games/playtest.h"
#include "res/resource.h"
#include "win/controls.h"
#include "win/dialog.h"

namespace ui {

class CheckDialog : public win::Dialog {
public:
    CheckDialog() : win::Dialog(IDD_CHECK) {}

    // True until Cancel is pressed or the window is closed.
    bool Running() const { return running_ && hwnd() != nullptr; }
    void SetProgress(int64_t done, int64_t total);
    // Fills the list: traps, then unreached pieces; each item's data is the
    // finding as TableDialog::ChooseFinding takes it.
    void ShowFindings(const bw::PlaytestReport& report);

    std::function<void(int)> onChoose;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnCancel() override;
    // The window can be made larger: the list grows with it.
    bool OnSize(UINT type, int width, int height) override;
    bool OnGetMinMaxInfo(MINMAXINFO& info) override;

private:
    bool running_ = true;
    win::GrowingLayout layout_;
};

}  // namespace ui

// Answers the Talvik upload wizard without a user.
//
// While TalvikUploadWizardA runs its modal property sheet, a thread timer
// fires inside the sheet's message loop. On each tick the driver finds the
// sheet among the thread's windows, reads what the current page shows (its
// texts, its progress bar, the buttons a user could press) and lets a policy
// choose what to press. Every change of the view is recorded, so a test can
// check what the user was shown.
//
// Usage:
//   WizardDriver driver([](const WizardView& v) { return v.Has("Next >") ? WizardDriver::Next : ...; });
//   BOOL sent = driver.Run([&] { return TalvikUploadWizardA(&info, 1, nullptr); });
//   driver.views  -> what was shown, in order
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

struct WizardView {
    std::string caption;               // the sheet's title
    std::string text;                  // the current page's texts, one per line
    std::vector<std::string> buttons;  // visible, enabled buttons, without "&"
    bool hasProgressBar = false;
    int progressPosition = 0;
    int progressMaximum = 0;

    bool Has(const std::string& button) const {
        return std::find(buttons.begin(), buttons.end(), button) != buttons.end();
    }
    bool Says(const std::string& words) const { return text.find(words) != std::string::npos; }
    bool operator==(const WizardView&) const = default;
};

class WizardDriver {
public:
    enum Action { Wait, Next, Finish, Cancel };
    using Policy = std::function<Action(const WizardView&)>;

    // Presses Next and then Finish: what a user who sends the file does.
    static Action SendIt(const WizardView& view) {
        if (view.Has("Next >")) return Next;
        if (view.Has("Finish")) return Finish;
        return Wait;
    }

    explicit WizardDriver(Policy policy, int timeoutMilliseconds = 20000)
        : policy_(std::move(policy)), timeoutTicks_(timeoutMilliseconds / kTickMilliseconds) {}

    // Calls `call` (which runs the wizard) with the driver answering it.
    template <typename Call>
    auto Run(Call call) {
        WizardDriver* const outer = active_;
        active_ = this;
        const UINT_PTR timer = SetTimer(nullptr, 0, kTickMilliseconds, &WizardDriver::OnTick);
        auto result = call();
        KillTimer(nullptr, timer);
        active_ = outer;
        return result;
    }

    std::vector<WizardView> views;  // each different view, in the order shown
    bool timedOut = false;
    int ticksWithSheet = 0;

    // Reads what the sheet's current page shows.
    static WizardView Read(HWND sheet) {
        WizardView view;
        char text[2048];
        GetWindowTextA(sheet, text, sizeof text);
        view.caption = text;
        HWND page = PropSheet_GetCurrentPageHwnd(sheet);
        for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child)) continue;
            char kind[64];
            GetClassNameA(child, kind, sizeof kind);
            if (lstrcmpiA(kind, PROGRESS_CLASSA) == 0) {
                view.hasProgressBar = true;
                view.progressPosition = static_cast<int>(SendMessageA(child, PBM_GETPOS, 0, 0));
                view.progressMaximum = static_cast<int>(SendMessageA(child, PBM_GETRANGE, FALSE, 0));
            } else if (lstrcmpiA(kind, "Static") == 0) {
                GetWindowTextA(child, text, sizeof text);
                if (text[0] != '\0') view.text += std::string(text) + "\n";
            }
        }
        for (HWND child = GetWindow(sheet, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            char kind[64];
            GetClassNameA(child, kind, sizeof kind);
            if (lstrcmpiA(kind, "Button") != 0 || !IsWindowVisible(child) || !IsWindowEnabled(child)) continue;
            GetWindowTextA(child, text, sizeof text);
            std::string label;
            for (const char* c = text; *c != '\0'; ++c)
                if (*c != '&') label += *c;
            view.buttons.push_back(label);
        }
        return view;
    }

private:
    static constexpr UINT kTickMilliseconds = 15;
    static inline thread_local WizardDriver* active_ = nullptr;

    static BOOL CALLBACK FindSheet(HWND window, LPARAM found) {
        char kind[16];
        GetClassNameA(window, kind, sizeof kind);
        if (lstrcmpA(kind, "#32770") == 0 && IsWindowVisible(window) && PropSheet_GetCurrentPageHwnd(window) != nullptr) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }

    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
        if (active_ != nullptr) active_->Tick();
    }

    void Tick() {
        HWND sheet = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindSheet, reinterpret_cast<LPARAM>(&sheet));
        if (sheet == nullptr) return;
        ++ticksWithSheet;
        if (ticksWithSheet > timeoutTicks_) {
            timedOut = true;
            PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            return;
        }
        WizardView view = Read(sheet);
        const bool changed = views.empty() || !(views.back() == view);
        if (changed) views.push_back(view);
        // After a press, wait until the sheet shows something new.
        if (waitingForChange_ && !changed && ++ticksSincePress_ < 40) return;
        waitingForChange_ = false;
        const Action action = policy_(view);
        if (action == Wait) return;
        const WPARAM button = action == Next ? PSBTN_NEXT : action == Finish ? PSBTN_FINISH : PSBTN_CANCEL;
        PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
        waitingForChange_ = true;
        ticksSincePress_ = 0;
    }

    Policy policy_;
    int timeoutTicks_;
    bool waitingForChange_ = false;
    int ticksSincePress_ = 0;
};

#include "app/table_app.h"

#include <windows.h>
#include <commctrl.h>

#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/message_box.h"
#include "win/recovery_store.h"
#include "win/startup.h"

namespace app {

bool TableApp::InitInstance(const std::vector<std::string>& arguments) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    ui::TableDialog window;
    window.recovery = win::RecoveryStore::Open(win::RecoveryStore::DefaultFolder());
    const std::string file = win::FileArgument(arguments);
    if (!window.SetFilePath(file)) {
        // Refused rather than cut short: the window starts without a file.
        win::PathMessageBox(nullptr, IDS_PATH_TOO_LONG, file, MB_OK | MB_ICONEXCLAMATION);
    }
    window.DoModal(nullptr);
    return false;
}

}  // namespace app

#include "ui/help.h"

#include "res/resource.h"
#include "win/html_help.h"
#include "win/message_box.h"
#include "win/startup.h"

namespace ui {

HWND ShowHelp(HWND owner, const std::string& helpPath) {
    HWND window = win::ProcessHtmlHelp().Call(owner, helpPath, win::kHelpDisplayTopic, 0);
    if (!window) win::AppMessageBox(owner, IDS_MISSING_HELP, MB_OK);
    return window;
}

std::string HelpPathFor(const std::string& programPath) {
    // The ".HLP" path of the program with its last three characters made
    // "chm".
    std::string path = win::HelpFilePath(programPath);
    if (path.size() >= 3) path.replace(path.size() - 3, 3, "chm");
    return path;
}

}  // namespace ui

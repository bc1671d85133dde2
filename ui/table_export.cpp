// File › Export › Web page...: the table as one web page that plays it in
// any browser. The page is the core's (files/web_page.h); the player it
// carries is the program's resource BW_WEB_PLAYER.
#include <windows.h>

#include <string>

#include "files/web_page.h"
#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/file_dialog.h"
#include "win/file_reports.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace ui {

void TableDialog::OnExportPage() {
    editor_->Settle();
    const std::string_view player = win::RawResource(L"BW_WEB_PLAYER");
    if (player.empty()) {
        win::AppMessageBox(hwnd(), IDS_NO_WEB_PLAYER, MB_OK | MB_ICONSTOP);
        return;
    }
    // The bytes Save would write: a table a file cannot hold is refused as Save refuses it.
    const bw::SaveResult table = editor_->PrepareSave();
    if (!table.ok) {
        win::AppMessageBox(hwnd(), table.error, MB_OK | MB_ICONSTOP);
        return;
    }
    const std::string& file = editor_->FilePath();
    const std::string name = file.empty() ? "*.html" : bw::PageTitle(file) + ".html";
    const auto path = win::ChooseFile(hwnd(), false, "html", name, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                                      IDS_PAGE_FILTER, IDS_EXPORT_PAGE_TITLE);
    if (!path) return;
    win::WriteFileReporting(hwnd(), *path,
                            bw::WebPage(player, table.bytes, bw::PageTitle(file.empty() ? *path : file)));
}

}  // namespace ui

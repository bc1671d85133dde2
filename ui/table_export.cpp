// File › Export › Web page...: the table as one web page that plays it in
// any browser. The page is the core's (files/web_page.h); the player it
// carries is the program's resource BW_WEB_PLAYER.
#include <windows.h>

#include <string>
#include <vector>

#include "files/web_page.h"
#include "files/win/table_file_win.h"
#include "res/resource.h"
#include "ui/table_dialog.h"
#include "win/file_dialog.h"
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
    const std::string filter = win::LoadResString(IDS_PAGE_FILTER);
    const std::string name = editor_->FilePath().empty() ? "*.html" : bw::PageTitle(editor_->FilePath()) + ".html";
    win::FileDialog dialog(false, "html", name.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter.c_str(), hwnd());
    dialog.SetTitle(win::LoadResString(IDS_EXPORT_PAGE_TITLE));
    if (dialog.DoModal() != IDOK) return;
    const std::string path = dialog.PathName();
    const std::string page =
        bw::WebPage(player, table.bytes, bw::PageTitle(editor_->FilePath().empty() ? path : editor_->FilePath()));
    bw::FileError error;
    if (!bw::WriteFileReplacing(path, std::vector<uint8_t>(page.begin(), page.end()), error)) ReportFileError(hwnd(), error);
}

}  // namespace ui

// File › Export › Web page...: the table in the window written as one web
// page that holds it, its name and the player the program carries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/table_file.h"
#include "files/web_page.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "win/resources.h"

namespace {

TEST(ExportPage, WritesThePageOfTheTableInTheWindow) {
    test::MessageBoxes boxes;
    test::FileDialogs dialogs;
    test::TempFolder folder;
    test::Window w;
    w.Load(folder.File("Flipper Tisch.bwt"), test::ReadAll(std::string(BW_SOURCE_DIR_WIN) + "\\examples\\classic.txt"));
    dialogs.Type(folder.File("shared.html"));
    w.Command(ID_FILE_EXPORT_PAGE);
    ASSERT_EQ(dialogs.Seen().size(), 1u);
    EXPECT_EQ(dialogs.Seen()[0].title, "Export web page");
    EXPECT_EQ(dialogs.Seen()[0].nameField, "Flipper Tisch.html");
    EXPECT_TRUE(boxes.Shown().empty());
    const std::string page = test::ReadAll(folder.File("shared.html"));
    const std::string_view player = win::RawResource(L"BW_WEB_PLAYER");
    EXPECT_GT(player.size(), 100000u) << "the program carries the web player";
    const bw::SaveResult table = bw::SaveTableBytes(w.root());
    EXPECT_EQ(page, bw::WebPage(player, table.bytes, "Flipper Tisch"));
    EXPECT_NE(page.find("bumpwright-first-frame"), std::string::npos);
}

}  // namespace

// A table as a web page: what bwtool page writes and refuses, and the
// page's text rules (its title, the player kept whole in its script element).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/web_page.h"
#include "tests/core/test_util.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

std::string FromBase64(std::string_view text) {
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        if (c == '=') break;
        bits = bits << 6 | static_cast<uint32_t>(digits.find(c));
        if ((count += 6) >= 8) out += static_cast<char>(bits >> (count -= 8) & 0xFF);
    }
    return out;
}

// The table file bytes a page holds.
std::string TableOf(const std::string& page) {
    const size_t at = page.find("data-table=\"") + 12;
    return FromBase64(page.substr(at, page.find('"', at) - at));
}

TEST(WebPage, TheTitleIsTheTableFilesName) {
    const struct { const char* path; const char* title; } cases[] = {
        {"examples/classic.bwt", "classic"}, {"C:\\Tische\\Flipper Tisch.bwt", "Flipper Tisch"},
        {"C:\\a/b\\c.d.bwt", "c.d"},        {"noextension", "noextension"},
        {"/x/.hidden", ".hidden"},           {"Столы/テーブル.bwt", "テーブル"},
    };
    for (const auto& c : cases) EXPECT_EQ(bw::PageTitle(c.path), c.title) << c.path;
}

TEST(WebPage, NothingInThePlayerEndsItsScriptElementEarly) {
    const struct { const char* script; const char* inlined; } cases[] = {
        {"a = '</script>';", "a = '<\\/script>';"},
        {"/<\\/SCRIPT/i; '</ScRiPt '", "/<\\/SCRIPT/i; '<\\/ScRiPt '"},
        {"'<!--' + '<script>'", "'<\\!--' + '<script>'"},
        {"if (a < b) c = a </ b;", "if (a < b) c = a </ b;"},
        {"ends with <", "ends with <"},
        {"</scrip", "</scrip"},
    };
    for (const auto& c : cases) EXPECT_EQ(bw::EscapeScript(c.script), c.inlined) << c.script;
}

TEST(WebPage, TextOfTheTitleIsHtmlAndWellFormedUtf8) {
    EXPECT_EQ(bw::EscapeHtml("Tom & \"Jerry's\" <b>"), "Tom &amp; &quot;Jerry&#39;s&quot; &lt;b&gt;");
    EXPECT_EQ(bw::EscapeHtml("Łódź テーブル"), "Łódź テーブル");
    // A stray byte, a cut-off sequence, an overlong form and a surrogate each become U+FFFD.
    EXPECT_EQ(bw::EscapeHtml("a\xFF" "b\xC3"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    EXPECT_EQ(bw::EscapeHtml("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(bw::EscapeHtml("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Bwtool, PageWritesOneFileWithTheTableAndThePlayer) {
    const fs::path dir = fs::path(BW_BINARY_DIR) / ("bwtool_page_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string d = dir.string() + "/";
    const std::string classic = Read(std::string(BW_BINARY_DIR) + "/examples/classic.bwt");
    Write(d + "classic.bwt", classic);
    Write(d + "Tom & Jerry.bwt", classic + std::string(2000, '\7'));  // the program reads 758 bytes of it
    Write(d + "x.bwt", std::string("BWX\0\0\0\0\0\0\0\0", 11));
    Write(d + "kept.html", "kept");
    fs::create_directories(d + "folder.bwt");
    const struct {
        std::string args;
        int status;
        std::string err;  // stderr contains it
    } cases[] = {
        {"page classic.bwt classic.html", 0, ""},
        {"page 'Tom & Jerry.bwt' long.html", 0, ""},
        {"page x.bwt x.html", 2, "This is not a Bumpwright file"},
        {"page x.bwt kept.html", 2, "This is not a Bumpwright file"},
        {"page missing.bwt missing.html", 2, "missing.bwt"},
        {"page folder.bwt folder.html", 2, "folder.bwt"},
        {"page classic.bwt no/such/folder/x.html", 2, "no/such/folder/x.html"},
        {"page classic.bwt", 2, "usage: bwtool page TABLE.bwt OUT.html"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const std::string cmd = "cd '" + d + "' && '" + BW_BWTOOL + "' " + c.args + " >stdout 2>stderr";
        const int status = std::system(cmd.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.status) << status;
        EXPECT_NE(Read(d + "stderr").find(c.err), std::string::npos) << Read(d + "stderr");
    }
    // A refused table writes nothing and leaves what was there.
    EXPECT_FALSE(fs::exists(d + "x.html") || fs::exists(d + "missing.html") || fs::exists(d + "folder.html"));
    EXPECT_EQ(Read(d + "kept.html"), "kept");
    // The page holds the bytes the program reads, its name, and the player;
    // it asks for no other file.
    const std::string page = Read(d + "classic.html");
    EXPECT_EQ(TableOf(page), classic);
    EXPECT_NE(page.find("<title>classic</title>"), std::string::npos);
    EXPECT_NE(page.find("bumpwright-first-frame"), std::string::npos);
    EXPECT_EQ(page.find(" src="), std::string::npos);
    EXPECT_LE(page.size(), 300u * 1024) << "the classic table's page is at most 300 KB";
    const std::string long_page = Read(d + "long.html");
    EXPECT_EQ(TableOf(long_page), (classic + std::string(2000, '\7')).substr(0, 758));
    EXPECT_NE(long_page.find("<title>Tom &amp; Jerry</title>"), std::string::npos);
    if (!HasFailure()) fs::remove_all(dir);
}

}  // namespace

// Paths as messages show them: whole when short, otherwise shortened in the
// middle, the drive and the file name kept.
#include <gtest/gtest.h>

#include "model/path_text.h"

namespace {

size_t Characters(const std::string& s) {
    size_t n = 0;
    for (const char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

std::string Times(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(ShortPath, KeepsTheDriveAndTheFileNameAndCutsTheMiddle) {
    const std::string deep = "C:\\" + std::string(300, 'f') + "\\two\\one\\table.bwt";
    const std::string longName = "D:\\t\\" + std::string(200, 'n') + ".bwt";
    struct Case {
        std::string path;
        size_t limit;
        std::string shown;
    };
    const Case cases[] = {
        {"C:\\Tables\\classic.bwt", 80, "C:\\Tables\\classic.bwt"},
        {"", 80, ""},
        {deep, 80, "C:\\…\\two\\one\\table.bwt"},
        {deep, 20, "C:\\…\\one\\table.bwt"},
        {deep, 14, "C:\\…\\table.bwt"},
        {"\\\\server\\share\\" + std::string(100, 'x') + "\\a.bwt", 30, "\\\\server\\share\\…\\a.bwt"},
        {longName, 20, "D:\\…\\nnnnnnn…nnn.bwt"},
        {"C:\\Łódź\\" + Times("ż", 90) + "\\stół.bwt", 20, "C:\\…\\stół.bwt"},
        {std::string(100, 'a') + "\\b.bwt", 10, "…\\b.bwt"},
    };
    for (const Case& c : cases) {
        const std::string shown = bw::ShortPath(c.path, c.limit);
        EXPECT_EQ(shown, c.shown) << c.path;
        EXPECT_LE(Characters(shown), c.limit) << c.path;
    }
}

}  // namespace

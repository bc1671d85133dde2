// Which file names the Talvik accepts: TalvikIsValidFileNameA, as the table
// file dialog and the start-up file use it.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "tvcomm/tvcomm.h"

namespace {

// The characters a Talvik name may use, as the program's string table lists them.
const std::string kNameCharacters = "qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM 1234567890-_+.()";

bool Accepts(const std::string& name) { return TalvikIsValidFileNameA(name.c_str()) != FALSE; }

TEST(Names, OnlyTheListedCharacters) {
    for (int code = 1; code < 256; ++code) {
        const char c = static_cast<char>(code);
        const bool listed = kNameCharacters.find(c) != std::string::npos;
        EXPECT_EQ(Accepts(std::string("a") + c + "b.bwt") * 2 + Accepts(std::string(1, c)),
                  listed * 2 + (listed && c != ' ' && c != '.')) << "character code " << code;
    }
}

// Not a path, not ending in a blank or a full stop, not a name Windows keeps
// for a device (with or without an extension), 1 to 63 characters.
TEST(Names, FormAndLength) {
    for (const std::string& name : std::initializer_list<std::string>{"classic.bwt", "Table (2).bwt", " demo.bwt", ".bwt", "CONSOLE.bwt", "icon.bwt",
                                   "COM10.bwt", "COMA.bwt", "LPT.bwt", "null.bwt", "table.con", "a",
                                   std::string(59, 'a') + ".bwt"})
        EXPECT_TRUE(Accepts(name)) << "'" << name << "'";
    for (const std::string& name : std::initializer_list<std::string>{"C:\\Tables\\demo.bwt", "tables/demo.bwt", "", "demo.bwt ", "demo.", "..", "   ",
                                   "CON", "con", "Prn", "AUX.bwt", "NUL .bwt", "COM9", "Com0.app", "lpt1.bwt",
                                   "LPT9.bwt", "CON.tar.bwt", std::string(60, 'a') + ".bwt", std::string(5000, 'a')})
        EXPECT_FALSE(Accepts(name)) << "'" << name << "'";
    EXPECT_FALSE(TalvikIsValidFileNameA(nullptr));
    // 64 name characters right before a page that cannot be read, with no terminator.
    const DWORD page = 4096;
    auto* memory = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(memory, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(memory + page, page, PAGE_NOACCESS, &old));
    char* name = memory + page - (TALVIK_MAX_NAME + 1);
    FillMemory(name, TALVIK_MAX_NAME + 1, 'a');
    EXPECT_FALSE(TalvikIsValidFileNameA(name));
    VirtualFree(memory, 0, MEM_RELEASE);
}

}  // namespace

// Which file names the Talvik accepts: TalvikIsValidFileNameA, as the table
// file dialog and the start-up file use it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tvcomm/tvcomm.h"

namespace {

// The characters a Talvik name may use, as the program's string table lists them.
const std::string kNameCharacters = "qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKLZXCVBNM 1234567890-_+.()";

bool Accepts(const std::string& name) {
    return TalvikIsValidFileNameA(name.c_str()) != FALSE;
}

TEST(NameCharacters, EveryListedCharacterIsAcceptedInsideAName) {
    for (char c : kNameCharacters) {
        const std::string name = std::string("a") + c + "b.bwt";
        EXPECT_TRUE(Accepts(name)) << "'" << name << "'";
    }
}

TEST(NameCharacters, EveryListedCharacterButBlankAndFullStopIsANameByItself) {
    for (char c : kNameCharacters) {
        const bool expected = c != ' ' && c != '.';
        EXPECT_EQ(Accepts(std::string(1, c)), expected) << "'" << c << "'";
    }
}

TEST(NameCharacters, EveryOtherCharacterIsRefused) {
    // Separators, wildcards, quotes, control characters, accented letters...
    for (int code = 1; code < 256; ++code) {
        const char c = static_cast<char>(code);
        if (kNameCharacters.find(c) != std::string::npos) continue;
        const std::string name = std::string("a") + c + "b.bwt";
        EXPECT_FALSE(Accepts(name)) << "character code " << code;
    }
}

TEST(NameCharacters, NamesThatTheProgramSendsAreAccepted) {
    EXPECT_TRUE(Accepts("classic.bwt"));
    EXPECT_TRUE(Accepts("Bumpwright.app"));
    EXPECT_TRUE(Accepts("Table (2).bwt"));
    EXPECT_TRUE(Accepts("high-score_v1+.bwt"));
    EXPECT_TRUE(Accepts("my table v1.2.bwt"));
}

TEST(NameCharacters, PathsAreRefusedOnlyTheNamePartIsJudged) {
    EXPECT_FALSE(Accepts("C:\\Tables\\demo.bwt"));
    EXPECT_FALSE(Accepts("..\\demo.bwt"));
    EXPECT_FALSE(Accepts("tables/demo.bwt"));
}

TEST(NameForm, NullAndEmptyAreRefused) {
    EXPECT_FALSE(TalvikIsValidFileNameA(nullptr));
    EXPECT_FALSE(TalvikIsValidFileNameA(""));
}

TEST(NameForm, ANameMayNotEndInABlankOrAFullStop) {
    // Windows would drop them, and the file would arrive under another name.
    EXPECT_FALSE(Accepts("demo.bwt "));
    EXPECT_FALSE(Accepts("demo."));
    EXPECT_FALSE(Accepts("."));
    EXPECT_FALSE(Accepts(".."));
    EXPECT_FALSE(Accepts("   "));
    EXPECT_TRUE(Accepts(" demo.bwt"));
    EXPECT_TRUE(Accepts(".bwt"));
}

TEST(NameForm, WindowsDeviceNamesAreRefusedWithOrWithoutAnExtension) {
    for (const char* name : {"CON", "con", "Prn", "AUX.bwt", "nul.bwt", "NUL .bwt", "com1.bwt", "COM9", "Com0.app",
                             "lpt1.bwt", "LPT9.bwt", "CON.tar.bwt"}) {
        EXPECT_FALSE(Accepts(name)) << name;
    }
    for (const char* name : {"CONSOLE.bwt", "icon.bwt", "COM10.bwt", "COMA.bwt", "LPT.bwt", "null.bwt", "my con.bwt",
                             "table.con"}) {
        EXPECT_TRUE(Accepts(name)) << name;
    }
}

TEST(NameLength, OneToSixtyThreeCharactersAreAccepted) {
    static_assert(TALVIK_MAX_NAME == 63);
    EXPECT_TRUE(Accepts("a"));
    EXPECT_TRUE(Accepts(std::string(59, 'a') + ".bwt"));  // 63
    EXPECT_TRUE(Accepts(std::string(63, 'Z')));
}

TEST(NameLength, LongerNamesAreRefused) {
    EXPECT_FALSE(Accepts(std::string(60, 'a') + ".bwt"));  // 64
    EXPECT_FALSE(Accepts(std::string(64, 'Z')));
    EXPECT_FALSE(Accepts(std::string(259, 'a') + "b"));  // as long as the dialog's name buffer allows
    EXPECT_FALSE(Accepts(std::string(5000, 'a')));
}

TEST(NameLength, ALongNameIsRefusedWithoutReadingToItsEnd) {
    // 64 name characters right before a page that cannot be read, with no
    // terminator: the check must stop at the bound.
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const DWORD page = system.dwPageSize;
    auto* memory = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(memory, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(memory + page, page, PAGE_NOACCESS, &old));
    char* name = memory + page - (TALVIK_MAX_NAME + 1);
    memset(name, 'a', TALVIK_MAX_NAME + 1);
    EXPECT_FALSE(TalvikIsValidFileNameA(name));
    VirtualFree(memory, 0, MEM_RELEASE);
}

}  // namespace

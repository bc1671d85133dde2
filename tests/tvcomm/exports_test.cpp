// tvcomm.dll as the program sees it: a DLL beside the program that exports
// its two functions by their plain names, and that the program imports by name.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tvcomm/tvcomm.h"

namespace {

template <typename T>
const T* At(HMODULE module, DWORD rva) {
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + rva);
}

const IMAGE_DATA_DIRECTORY& Directory(HMODULE module, int which) {
    const auto* dos = At<IMAGE_DOS_HEADER>(module, 0);
    const auto* nt = At<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    return nt->OptionalHeader.DataDirectory[which];
}

class Library : public testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryA("tvcomm.dll");
        ASSERT_NE(module, nullptr) << "tvcomm.dll not found beside the tests, error " << GetLastError();
    }
    void TearDown() override {
        if (module != nullptr) FreeLibrary(module);
    }
    HMODULE module = nullptr;
};

TEST_F(Library, ExportsBothFunctionsUnderTheirPlainNames) {
    EXPECT_NE(GetProcAddress(module, "TalvikIsValidFileNameA"), nullptr);
    EXPECT_NE(GetProcAddress(module, "TalvikUploadWizardA"), nullptr);
}

TEST_F(Library, ExportsNoDecoratedNames) {
    EXPECT_EQ(GetProcAddress(module, "TalvikIsValidFileNameA@4"), nullptr);
    EXPECT_EQ(GetProcAddress(module, "TalvikUploadWizardA@12"), nullptr);
    EXPECT_EQ(GetProcAddress(module, "_TalvikIsValidFileNameA@4"), nullptr);
    EXPECT_EQ(GetProcAddress(module, "_TalvikUploadWizardA@12"), nullptr);
}

TEST_F(Library, ExportsExactlyTheTwoFunctions) {
    const IMAGE_DATA_DIRECTORY& entry = Directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
    ASSERT_NE(entry.VirtualAddress, 0u);
    const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(module, entry.VirtualAddress);
    const auto* names = At<DWORD>(module, exports->AddressOfNames);
    std::set<std::string> exported;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) exported.insert(At<char>(module, names[i]));
    EXPECT_EQ(exported, (std::set<std::string>{"TalvikIsValidFileNameA", "TalvikUploadWizardA"}));
    EXPECT_EQ(exports->NumberOfFunctions, 2u);
}

TEST_F(Library, FunctionsFoundByNameAreTheOnesTheProgramCalls) {
    // A program linked with the import library reaches the same code.
    EXPECT_EQ(reinterpret_cast<void*>(&TalvikIsValidFileNameA),
              reinterpret_cast<void*>(GetProcAddress(module, "TalvikIsValidFileNameA")));
    EXPECT_EQ(reinterpret_cast<void*>(&TalvikUploadWizardA),
              reinterpret_cast<void*>(GetProcAddress(module, "TalvikUploadWizardA")));

    // Called through the looked-up address with the declared convention, the
    // check answers as the imported one does (a wrong convention would unbalance
    // the stack here).
    using NameCheck = BOOL(WINAPI*)(LPCSTR);
    const auto check =
        reinterpret_cast<NameCheck>(reinterpret_cast<void*>(GetProcAddress(module, "TalvikIsValidFileNameA")));
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check("classic.bwt"));
    EXPECT_FALSE(check("a/b.bwt"));
}

TEST(ImportByName, TheProgramImportsBothFunctionsByNameNotByOrdinal) {
    // The tests link the import library as the program does; their own import
    // table shows how the program binds to the library.
    HMODULE self = GetModuleHandleA(nullptr);
    const IMAGE_DATA_DIRECTORY& entry = Directory(self, IMAGE_DIRECTORY_ENTRY_IMPORT);
    ASSERT_NE(entry.VirtualAddress, 0u);
    std::set<std::string> imported;
    bool foundLibrary = false;
    for (const auto* dll = At<IMAGE_IMPORT_DESCRIPTOR>(self, entry.VirtualAddress); dll->Name != 0; ++dll) {
        if (lstrcmpiA(At<char>(self, dll->Name), "tvcomm.dll") != 0) continue;
        foundLibrary = true;
        for (const auto* thunk = At<IMAGE_THUNK_DATA>(self, dll->OriginalFirstThunk); thunk->u1.AddressOfData != 0;
             ++thunk) {
            ASSERT_FALSE(IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal)) << "imported by ordinal";
            imported.insert(At<IMAGE_IMPORT_BY_NAME>(self, thunk->u1.AddressOfData)->Name);
        }
    }
    ASSERT_TRUE(foundLibrary) << "the tests do not import tvcomm.dll";
    EXPECT_EQ(imported, (std::set<std::string>{"TalvikIsValidFileNameA", "TalvikUploadWizardA"}));
}

}  // namespace

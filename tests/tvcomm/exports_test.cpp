// tvcomm.dll as the program sees it: its two functions exported under their
// plain names only, and imported by the program by name.
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

TEST(Library, ExportsAndImportsTheTwoFunctionsByTheirPlainNames) {
    HMODULE dll = GetModuleHandleA("tvcomm.dll");  // loaded by the tests' own imports
    const LPCSTR names[] = {"TalvikIsValidFileNameA", "TalvikUploadWizardA", "TalvikIsValidFileNameA@4",
                            "_TalvikUploadWizardA@12", MAKEINTRESOURCEA(3)};  // only the first two
    for (int i = 0; i < 5; ++i) EXPECT_EQ(GetProcAddress(dll, names[i]) != nullptr, i < 2) << i;
    // The tests link the import library as the program does.
    HMODULE self = GetModuleHandleA(nullptr);
    const auto* nt = At<IMAGE_NT_HEADERS>(self, static_cast<DWORD>(At<IMAGE_DOS_HEADER>(self, 0)->e_lfanew));
    std::set<std::string> imported;
    for (auto* d = At<IMAGE_IMPORT_DESCRIPTOR>(self, nt->OptionalHeader.DataDirectory[1].VirtualAddress); d->Name; ++d)
        for (auto* t = At<IMAGE_THUNK_DATA>(self, d->OriginalFirstThunk); t->u1.AddressOfData != 0; ++t)
            if (lstrcmpiA(At<char>(self, d->Name), "tvcomm.dll") == 0)
                imported.insert(IMAGE_SNAP_BY_ORDINAL(t->u1.Ordinal) ? "(by ordinal)"
                                                                       : At<IMAGE_IMPORT_BY_NAME>(self, t->u1.AddressOfData)->Name);
    EXPECT_EQ(imported, (std::set<std::string>{"TalvikIsValidFileNameA", "TalvikUploadWizardA"}));
}

}  // namespace

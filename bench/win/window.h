// What the window benchmarks share: handling the waiting messages as the
// dialog loop would, and an example table put into the window as Open
// puts a file there.
#pragma once

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "files/table_file.h"
#include "files/table_text.h"
#include "model/soft_surface.h"
#include "ui/table_dialog.h"

namespace bench {

// The playfield as the window invalidates it.
constexpr RECT kPlayfieldRect{0, 0, 249, 199};

inline void Pump(HWND dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) win::PumpDialogMessage(dialog, msg);
}

// A table's text built into a table file in the temporary folder and
// loaded by the window; false with `error` set when any step fails.
inline bool LoadText(ui::TableDialog& dlg, const std::string& text, const std::string& name, std::string& error) {
    bw::Table table(bw::BuiltinImageLoader{});
    if (!bw::TextToTable(text, *table.root, error)) return false;
    const bw::SaveResult saved = bw::SaveTableBytes(*table.root);
    if (!saved.ok) {
        error = saved.error;
        return false;
    }
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "bw_bench_" + name + ".bwt";
    if (!bw::WriteFileBytes(path, saved.bytes, error)) return false;
    const bool loaded = dlg.LoadTable(path.c_str());
    DeleteFileA(path.c_str());
    if (!loaded) error = "the window refused " + name;
    return loaded;
}

// The text of examples/NAME.txt; empty with `error` set when it cannot be read.
inline std::string ExampleText(const std::string& name, std::string& error) {
    const std::string source = std::string(BW_SOURCE_DIR_WIN "/examples/") + name + ".txt";
    std::ifstream in(source, std::ios::binary);
    if (!in) error = "cannot read " + source;
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// examples/NAME.txt loaded by the window.
inline bool LoadExample(ui::TableDialog& dlg, const std::string& name, std::string& error) {
    const std::string text = ExampleText(name, error);
    return error.empty() && LoadText(dlg, text, name, error);
}

}  // namespace bench

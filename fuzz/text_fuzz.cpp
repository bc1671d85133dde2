// Any bytes as table text, as the clipboard may hold them: the reader
// refuses them with a message naming a line, or builds a table whose text
// reads back to the same table and the same text. Preparing a paste of
// them into a table never fails differently from the reader.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/table_text.h"
#include "model/soft_surface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace bw;
    static const BuiltinImageLoader loader;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Table first(loader);
    std::string error;
    if (!TextToTable(text, *first.root, error)) {
        if (error.rfind("line ", 0) != 0) __builtin_trap();
        if (first.root->FirstChild()) __builtin_trap();  // refused text leaves nothing
        if (PreparePaste(text, *first.root).ok) __builtin_trap();
        return 0;
    }
    const std::string written = TableToText(*first.root);
    Table second(loader);
    if (!TextToTable(written, *second.root, error)) __builtin_trap();
    if (TableToText(*second.root) != written) __builtin_trap();
    // Pasted into the table it came from, the pieces stay on the playfield.
    const PasteResult paste = PreparePaste(text, *first.root);
    if (paste.ok) {
        for (size_t i = 0; i + 3 <= paste.records.size(); i += 3) {
            const uint8_t kind = paste.records[i + 2];
            if (kind == 0 || kind == kGroup) continue;
            if (paste.records[i] >= kTableWidth || paste.records[i + 1] >= kTableHeight) __builtin_trap();
        }
        if (paste.records.size() % 3 != 0 || paste.records[paste.records.size() - 1] != 0) __builtin_trap();
    }
    return 0;
}

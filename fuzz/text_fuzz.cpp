// Any bytes as table text, as the clipboard may hold them: the reader
// refuses them with a message naming a line, or builds a table whose text
// reads back to the same table and the same text. Preparing a paste of
// them never takes what the reader refuses, and gives whole record lists.
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
        if (PreparePaste(text).ok) __builtin_trap();
        return 0;
    }
    const std::string written = TableToText(*first.root);
    Table second(loader);
    if (!TextToTable(written, *second.root, error)) __builtin_trap();
    if (TableToText(*second.root) != written) __builtin_trap();
    const PasteResult paste = PreparePaste(text);
    if (paste.ok) {
        if (paste.records.size() % 3 != 0 || paste.records[paste.records.size() - 1] != 0) __builtin_trap();
        if (paste.fileRecords != static_cast<int32_t>(paste.records.size() / 3) - 1) __builtin_trap();
    }
    return 0;
}

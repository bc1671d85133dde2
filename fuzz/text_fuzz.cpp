// Any bytes as table text, as the clipboard may hold them: the reader
// refuses them with a message naming a line, or builds a table whose text
// reads back to the same table and the same text. Read as pasted pieces,
// they are never taken when the reader refuses them, and give the same
// pieces when it does not (or are refused with a reason).
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
        Table pasted(loader);
        if (ReadPastedPieces(text, *pasted.root).ok) __builtin_trap();
        return 0;
    }
    const std::string written = TableToText(*first.root);
    Table second(loader);
    if (!TextToTable(written, *second.root, error)) __builtin_trap();
    if (TableToText(*second.root) != written) __builtin_trap();
    Table pasted(loader);
    const PasteResult paste = ReadPastedPieces(text, *pasted.root);
    if (paste.ok && TableToText(*pasted.root) != written) __builtin_trap();
    if (!paste.ok && !paste.tooMany && paste.error.empty()) __builtin_trap();
    return 0;
}

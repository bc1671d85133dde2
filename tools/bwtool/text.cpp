// bwtool text / build: the table as text a person can edit.
#include <cstdio>
#include <string>

#include "files/table_text.h"
#include "model/soft_surface.h"
#include "tools/bwtool/commands.h"

namespace bw {

int Text(int argc, char** argv) {
    if (argc != 1) {
        std::fputs("usage: bwtool text TABLE.bwt\n", stderr);
        return 2;
    }
    Table table(BuiltinImageLoader{});
    LoadResult loaded;
    if (!LoadTableFile(argv[0], *table.root, loaded)) return 2;
    std::fputs(TableToText(*table.root).c_str(), stdout);
    return 0;
}

int Build(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: bwtool build TEXT OUT.bwt\n", stderr);
        return 2;
    }
    std::FILE* f = std::fopen(argv[0], "rb");
    if (!f) {
        std::fprintf(stderr, "bwtool: cannot open %s\n", argv[0]);
        return 2;
    }
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
    Table table(BuiltinImageLoader{});
    std::string error;
    if (!TextToTable(text, *table.root, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 2;
    }
    return SaveTableFile(argv[1], *table.root) ? 0 : 2;
}

}  // namespace bw

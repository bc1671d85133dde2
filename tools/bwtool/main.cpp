// bwtool: looks at, converts and plays table files without the window.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "files/table_file.h"
#include "model/paint.h"
#include "model/soft_surface.h"
#include "model/table.h"
#include "tools/bwtool/commands.h"
#include "tools/bwtool/png_writer.h"

namespace bw {

namespace {

constexpr int kUsageError = 2;

int Usage() {
    std::fputs(
        "usage: bwtool COMMAND ...\n"
        "  dump TABLE.bwt                 the piece tree as the loader builds it\n"
        "  resave IN.bwt OUT.bwt          load and save again\n"
        "  render TABLE.bwt OUT.png       paint the table as the editor shows it\n"
        "  simulate TABLE.bwt --ticks N [--keys EVENTS] [--trace] [--checksum] [--replay OUT]\n"
        "                                 play the table headless\n"
        "  replay REPLAY                  play a replay and check that it goes the same way\n"
        "  movie (TABLE.bwt --keys EVENTS --ticks N | REPLAY) OUT.gif [--every K] [--scale S]\n"
        "                                 the game as an animated GIF\n"
        "  text TABLE.bwt                 the table as editable text\n"
        "  page TABLE.bwt OUT.html        the table as one web page that plays it in any browser\n"
        "  build TEXT OUT.bwt             write a table file from its text\n"
        "  check TABLE.bwt [--games N] [--seed S] [--ticks T] [--jobs J] [--png OUT.png] [--json] [--strict]\n"
        "                                 play the table many times and report what happened\n"
        "                                 (on J threads, all cores by default; the same report for any J)\n",
        stderr);
    return kUsageError;
}

void DumpLevel(const PieceGroup& group, int depth) {
    for (const TablePiece* c = group.FirstChild(); c; c = c->next.get()) {
        const PlacedPiece& p = Placed(*c);
        std::printf("%d %d %d %d\n", depth, c->kind, p.x, p.y);
        if (const auto* sub = dynamic_cast<const PieceGroup*>(c)) DumpLevel(*sub, depth + 1);
    }
}

int Dump(int argc, char** argv) {
    if (argc != 1) return Usage();
    Table table(BuiltinImageLoader{});
    LoadResult loaded;
    if (!LoadTableFile(argv[0], *table.root, loaded)) return kUsageError;
    DumpLevel(*table.root, 0);
    std::printf("records %d\n", loaded.recordCount);
    return 0;
}

int Resave(int argc, char** argv) {
    if (argc != 2) return Usage();
    Table table(BuiltinImageLoader{});
    LoadResult loaded;
    if (!LoadTableFile(argv[0], *table.root, loaded)) return kUsageError;
    if (loaded.trimmed) {
        std::fprintf(stderr, "bwtool: %s is cut off inside a list: its table needs more records than a file holds. "
                     "Nothing was saved.\n", argv[0]);
        return kUsageError;
    }
    return SaveTableFile(argv[1], *table.root) ? 0 : kUsageError;
}

int Render(int argc, char** argv) {
    if (argc != 2) return Usage();
    Table table(BuiltinImageLoader{});
    LoadResult loaded;
    if (!LoadTableFile(argv[0], *table.root, loaded)) return kUsageError;
    SoftSurface surface(kPlayfieldWidth, kPlayfieldHeight, kWhite);
    surface.SetClip(kPlayfield);
    PaintTable(table.state, surface, false);
    std::string error;
    if (!WritePng(surface, argv[1], error)) {
        std::fprintf(stderr, "bwtool: %s\n", error.c_str());
        return kUsageError;
    }
    return 0;
}

}  // namespace

bool LoadTableFile(const std::string& path, TableRoot& root, LoadResult& result, std::vector<uint8_t>* read) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path, kMaxFileBytes, bytes, error)) {
        std::fprintf(stderr, "bwtool: %s\n", error.c_str());
        return false;
    }
    result = LoadTableBytes(root, bytes);
    if (!result.accepted) {
        std::fprintf(stderr, "%s\n", kNotATableMessage);
        return false;
    }
    if (read) *read = std::move(bytes);
    return true;
}

bool SaveTableFile(const std::string& path, const TableRoot& root) {
    const SaveResult saved = SaveTableBytes(root);
    if (!saved.ok) {
        std::fprintf(stderr, "bwtool: %s\n", saved.error.c_str());
        return false;
    }
    std::string error;
    if (!WriteFileBytes(path, saved.bytes, error)) {
        std::fprintf(stderr, "bwtool: %s\n", error.c_str());
        return false;
    }
    return true;
}

}  // namespace bw

int main(int argc, char** argv) {
    if (argc < 2) return bw::Usage();
    const std::string command = argv[1];
    struct Entry {
        const char* name;
        int (*run)(int, char**);
    };
    static const Entry commands[] = {
        {"dump", bw::Dump},         {"resave", bw::Resave}, {"render", bw::Render},
        {"simulate", bw::Simulate}, {"text", bw::Text},     {"build", bw::Build},
        {"check", bw::Check},       {"replay", bw::ReplayCommand},
        {"movie", bw::Movie},       {"page", bw::Page},
    };
    for (const Entry& e : commands)
        if (command == e.name) return e.run(argc - 2, argv + 2);
    std::fprintf(stderr, "bwtool: unknown command '%s'\n", command.c_str());
    return bw::Usage();
}

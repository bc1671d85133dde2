// bwtool as a user runs it: each command's output and exit status, and
// what it writes.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/table_file.h"
#include "games/key_script.h"
#include "games/replay.h"
#include "model/paint.h"
#include "physics/game.h"
#include "tests/core/test_util.h"

namespace {

namespace fs = std::filesystem;
using bwtest::FileBytes;

std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& p, const std::vector<uint8_t>& b) { std::ofstream(p, std::ios::binary) << std::string(b.begin(), b.end()); }
void Write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

TEST(Bwtool, EachCommandAsAUserRunsIt) {
    const fs::path dir = fs::path(BW_BINARY_DIR) / ("bwtool_test_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string d = dir.string() + "/";
    // Obstacle, border, cannon and flipper, as the save command writes them.
    const std::vector<uint8_t> sample = FileBytes(
        {{20, 30, 4}, {10, 10, 1}, {50, 10, 11}, {50, 60, 11}, {0, 0, 0}, {60, 90, 10}, {40, 90, 8}, {0, 0, 0}});
    Write(d + "t.bwt", sample);
    Write(d + "x.bwt", std::string("BWX\0\0\0\0\0\0\0\0", 11));
    Write(d + "odd.bwt", FileBytes({{0, 0, 2}, {20, 30, 4}, {10, 10, 1}, {7, 7, 6}, {30, 10, 11},
                                    {0, 0, 0}, {0, 0, 0}, {40, 40, 7}, {0, 0, 0}}));
    // 200 nested groups around a piece need 200 terminators too: more than a file holds.
    Write(d + "deep.bwt", std::string("BWT\0\0\0\0\0", 8) + bwtest::Repeat(std::string("\0\0\2", 3), 200) +
                              std::string("\5\5\4", 3));
    for (const char* name : {"classic.bwt", "empty.bwt"})
        fs::copy_file(std::string(BW_BINARY_DIR) + "/examples/" + name, d + name);
    Write(d + "a.txt", "# a table\nobstacle10 20 30\nborder 10 10, 50\n");
    Write(d + "b.txt", "hole 1 2\nteapot 3 4\n");
    Write(d + "long.txt", std::string(4088, '#') + "\nhole 1 2");  // 4097 bytes: the last one read on its own

    const struct {
        std::string args;
        int status;
        std::string out;  // all of stdout, or "~text": stdout contains it
        std::string err;  // stderr contains it
    } cases[] = {
        {"dump t.bwt", 0,
         "0 4 20 30\n0 2 0 0\n1 1 10 10\n1 11 50 10\n1 11 50 60\n0 10 60 90\n1 11 63 87\n1 11 63 93\n"
         "1 11 57 93\n1 11 57 87\n0 8 40 90\nrecords 8\n",
         ""},
        {"dump x.bwt", 2, "", "This is not a Bumpwright file"},
        {"dump", 2, "", "usage: bwtool COMMAND"},
        {"check", 2, "", "usage: bwtool check TABLE.bwt"},
        {"simulate x.bwt --ticks 5", 2, "", "This is not a Bumpwright file"},
        {"dump missing.bwt", 2, "", "missing.bwt"},
        {"resave t.bwt out.bwt", 0, "", ""},
        {"resave deep.bwt deep-out.bwt", 2, "", "Nothing was saved"},
        {"render t.bwt t.png", 0, "", ""},
        {"text t.bwt", 0, "~border 10 10, 50 10, 50 60\ncannon 60 90\nleft-flipper 40 90\n", ""},
        {"build a.txt a.bwt", 2, "", "line 3"},
        {"build b.txt b.bwt", 2, "", "line 2: unknown piece \"teapot\""},
        {"build long.txt long.bwt", 0, "", ""},
        {"simulate empty.bwt --ticks 10", 0, "score 0\n", ""},
        {"simulate classic.bwt --ticks 0 --keys 5:+Z", 0, "score 0\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const std::string cmd = "cd '" + d + "' && '" + BW_BWTOOL + "' " + c.args;
        const int status = std::system((cmd + " >stdout 2>stderr").c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.status) << status;
        const std::string out = Read(d + "stdout"), err = Read(d + "stderr");
        if (c.out.starts_with("~")) EXPECT_NE(out.find(c.out.substr(1)), std::string::npos) << out;
        else EXPECT_EQ(out, c.out);
        EXPECT_NE(err.find(c.err), std::string::npos) << err;
    }
    for (const std::string args : {"--ticks -1", "--ticks 1x", "--keys 1:+Q", "--keys 0:+Z", "--keys 1+Z",
                                   "--keys 1:Z", "--keys 1:+Z,", "--bogus", "--ticks"}) {
        const std::string cmd = std::string(BW_BWTOOL) + " simulate " + d + "t.bwt --ticks 3 " + args;
        const int status = std::system((cmd + " >/dev/null 2>&1").c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << args;
    }
    // What the commands wrote: the same file again, nothing for a refusal, a
    // playfield-sized PNG, and text that builds the same file.
    EXPECT_EQ(Read(d + "out.bwt"), Read(d + "t.bwt"));
    EXPECT_EQ(Read(d + "long.bwt"), std::string("BWT\0\0\0\0\0\1\2\7\0\0\0", 14));
    EXPECT_FALSE(fs::exists(d + "deep-out.bwt") || fs::exists(d + "a.bwt"));
    png_image png{};  // the playfield at twice the table's size: a white corner, the obstacle's yellow middle
    png.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&png, (d + "t.png").c_str()));
    png.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(png));
    ASSERT_TRUE(png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr));
    EXPECT_EQ(std::vector<uint32_t>({png.width, png.height, rgb[(2 * 250 + 2) * 3 + 2], rgb[(60 * 250 + 40) * 3 + 2]}),
              std::vector<uint32_t>({250, 200, 255, 0}));
    for (const std::string table : {"t", "odd"}) {
        std::system(("cd '" + d + "' && '" + BW_BWTOOL + "' text " + table + ".bwt >" + table + ".txt").c_str());
        std::system(("cd '" + d + "' && '" + BW_BWTOOL + "' build " + table + ".txt " + table + "2.bwt").c_str());
        EXPECT_EQ(Read(d + table + "2.bwt"), Read(d + table + ".bwt")) << Read(d + table + ".txt");
    }
    if (!HasFailure()) fs::remove_all(dir);
}

// A movie, decoded and put together frame by frame, ends on the picture of
// the game at its last tick, at its scale, with the frames' timing.
TEST(Bwtool, AMovieShowsTheGameFrameByFrame) {
    using namespace bw;
    const fs::path dir = fs::path(BW_BINARY_DIR) / ("bwtool_movie_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string table = std::string(BW_BINARY_DIR) + "/examples/classic.bwt", gif = (dir / "m.gif").string();
    const std::string keys = "1:+SPACE,2:+SPACE,3:+SPACE,4:+SPACE,5:+SPACE,6:+SPACE,7:+SPACE,8:+SPACE,9:-SPACE,30:+Z";
    ASSERT_EQ(std::system(("'" + std::string(BW_BWTOOL) + "' movie '" + table + "' --keys '" + keys +
                           "' --ticks 60 '" + gif + "' --every 4 --scale 2 >/dev/null 2>&1").c_str()), 0);
    for (const char* bad : {"--scale 5", "--every 0", "--every 51"})
        EXPECT_EQ(WEXITSTATUS(std::system(("'" + std::string(BW_BWTOOL) + "' movie '" + table + "' --ticks 8 '" +
                                           (dir / "x.gif").string() + "' " + bad + " 2>/dev/null").c_str())),
                  2)
            << bad;
    int error = 0;
    GifFileType* g = DGifOpenFileName(gif.c_str(), &error);
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(DGifSlurp(g), GIF_OK);
    EXPECT_EQ(g->SWidth, 500);
    EXPECT_EQ(g->SHeight, 2 * 214) << "the playfield and the score strip";
    ASSERT_EQ(g->ImageCount, 1 + 60 / 4);
    bool loops = false;  // the application block that makes it play for ever
    auto look = [&](const ExtensionBlock* blocks, int count) {
        for (int i = 0; i + 1 < count; ++i)
            loops = loops || (blocks[i].Function == APPLICATION_EXT_FUNC_CODE && blocks[i].ByteCount == 11 &&
                              std::string(reinterpret_cast<char*>(blocks[i].Bytes), 11) == "NETSCAPE2.0" &&
                              blocks[i + 1].ByteCount == 3 && blocks[i + 1].Bytes[0] == 1 &&
                              blocks[i + 1].Bytes[1] == 0 && blocks[i + 1].Bytes[2] == 0);
    };
    look(g->ExtensionBlocks, g->ExtensionBlockCount);
    look(g->SavedImages[0].ExtensionBlocks, g->SavedImages[0].ExtensionBlockCount);
    EXPECT_TRUE(loops);
    std::vector<Color> canvas(static_cast<size_t>(g->SWidth) * g->SHeight, kWhite);
    for (int i = 0; i < g->ImageCount; ++i) {
        const SavedImage& im = g->SavedImages[i];
        const ColorMapObject* map = im.ImageDesc.ColorMap ? im.ImageDesc.ColorMap : g->SColorMap;
        for (int y = 0; y < im.ImageDesc.Height; ++y)
            for (int x = 0; x < im.ImageDesc.Width; ++x) {
                const GifColorType c = map->Colors[im.RasterBits[y * im.ImageDesc.Width + x]];
                canvas[static_cast<size_t>(im.ImageDesc.Top + y) * g->SWidth + im.ImageDesc.Left + x] =
                    Rgb(c.Red, c.Green, c.Blue);
            }
        GraphicsControlBlock gcb{};
        ASSERT_EQ(DGifSavedExtensionToGCB(g, i, &gcb), GIF_OK);
        EXPECT_EQ(gcb.DelayTime, 8) << "four ticks of 20 ms";
    }
    DGifCloseFile(g, &error);

    Table t(BuiltinImageLoader{});
    const std::string file = Read(table);
    LoadTableBytes(*t.root, std::vector<uint8_t>(file.begin(), file.end()));
    std::vector<KeyEvent> events;
    std::string why;
    ASSERT_TRUE(ParseKeyScript(keys, events, why)) << why;
    StartGame(t.state);
    KeyPlayback play(events);
    while (play.Ticks() < 60) play.Tick(t.state, false);
    SoftSurface expected(250, 200, kWhite);
    expected.SetClip(kPlayfield);
    PaintTable(t.state, expected, true);
    int wrong = 0, ink = 0;
    for (int y = 0; y < 214; ++y)
        for (int x = 0; x < 250; ++x) {
            const Color c = canvas[static_cast<size_t>(2 * y) * 500 + 2 * x];
            for (int d : {1, 500, 501}) wrong += canvas[static_cast<size_t>(2 * y) * 500 + 2 * x + d] != c;
            if (y < 200) wrong += c != expected.At(x, y);
            else ink += c == kBlack;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(ink, 20) << "the score's digits";
    fs::remove_all(dir);
}

}  // namespace

// bwtool movie: a game as an animated GIF, the playfield as the window
// shows it in play (twice the table's size) with the score beneath.
#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "games/replay.h"
#include "files/table_text.h"
#include "model/paint.h"
#include "model/soft_surface.h"
#include "games/key_script.h"
#include "tools/bwtool/commands.h"

namespace bw {

namespace {

constexpr const char* kMovieUsage =
    "usage: bwtool movie (TABLE.bwt --keys EVENTS --ticks N | REPLAY) OUT.gif [--every K] [--scale S]\n";
constexpr int32_t kFrameWidth = kPlayfieldWidth;
constexpr int32_t kFrameHeight = kPlayfieldHeight + 14;  // the playfield and a strip for the score
constexpr int64_t kMaxMovieFrames = 20000;

// Digits 0 to 9, 3 x 5 pixels, rows from the top in the low bits first.
constexpr uint16_t kDigits[10] = {0x7B6F, 0x749A, 0x73E7, 0x79E7, 0x49ED, 0x79CF, 0x7BCF, 0x4927, 0x7BEF, 0x79EF};

void DrawScore(SoftSurface& s, uint32_t score) {
    s.SetClip({0, 0, kFrameWidth, kFrameHeight});
    s.FillRect({0, kPlayfieldHeight, kFrameWidth, kFrameHeight}, kWhite);
    const std::string text = std::to_string(score);
    int32_t x = 4;
    for (char c : text) {
        const uint16_t bits = kDigits[c - '0'];
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if ((bits >> (row * 3 + col)) & 1)
                    s.FillRect({x + 2 * col, kPlayfieldHeight + 3 + 2 * row, x + 2 * col + 2,
                                kPlayfieldHeight + 5 + 2 * row},
                               kBlack);
        x += 8;
    }
    s.SetClip(kPlayfield);
}

// The colours any frame can hold: the pictures, the pens, white and black.
std::vector<Color> MoviePalette() {
    std::vector<Color> colors{kWhite, kBlack, kPiecePen.color, kFlipperPen.color};
    for (const Picture& p : PiecePictures())
        for (Color c : p.pixels) colors.push_back(c);
    std::sort(colors.begin(), colors.end());
    colors.erase(std::unique(colors.begin(), colors.end()), colors.end());
    if (colors.size() > 256) colors.resize(256);
    return colors;
}

class GifWriter {
public:
    GifWriter(const std::string& path, int32_t scale, int delay)
        : path_(path), scale_(scale), delay_(delay), palette_(MoviePalette()) {
        int err = 0;
        gif_ = EGifOpenFileName(path.c_str(), false, &err);
        if (!gif_) {
            error_ = "cannot write " + path + ": " + GifErrorString(err);
            return;
        }
        EGifSetGifVersion(gif_, true);  // 89a: the loop and the frame delays
        std::vector<GifColorType> colors(256);
        for (size_t i = 0; i < palette_.size(); ++i)
            colors[i] = {static_cast<GifByteType>(RedOf(palette_[i])), static_cast<GifByteType>(GreenOf(palette_[i])),
                         static_cast<GifByteType>(BlueOf(palette_[i]))};
        ColorMapObject* map = GifMakeMapObject(256, colors.data());
        const bool ok = map && EGifPutScreenDesc(gif_, kFrameWidth * scale, kFrameHeight * scale, 8, 0, map) == GIF_OK;
        GifFreeMapObject(map);
        static const GifByteType loop[3] = {1, 0, 0};  // play for ever
        if (!ok || EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
            EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") != GIF_OK || EGifPutExtensionBlock(gif_, 3, loop) != GIF_OK ||
            EGifPutExtensionTrailer(gif_) != GIF_OK)
            Fail();
    }
    ~GifWriter() {
        if (gif_) EGifCloseFile(gif_, nullptr);
    }

    const std::string& Error() const { return error_; }

    // Adds a frame; only the part that changed since the last one is stored.
    void Frame(const SoftSurface& s) {
        if (!error_.empty()) return;
        std::vector<GifByteType> indices(static_cast<size_t>(kFrameWidth) * kFrameHeight);
        for (int32_t y = 0; y < kFrameHeight; ++y)
            for (int32_t x = 0; x < kFrameWidth; ++x) indices[static_cast<size_t>(y) * kFrameWidth + x] = Index(s.At(x, y));
        Rect box{0, 0, kFrameWidth, kFrameHeight};
        if (!last_.empty()) {
            box = {kFrameWidth, kFrameHeight, 0, 0};
            for (int32_t y = 0; y < kFrameHeight; ++y)
                for (int32_t x = 0; x < kFrameWidth; ++x) {
                    const size_t i = static_cast<size_t>(y) * kFrameWidth + x;
                    if (indices[i] == last_[i]) continue;
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x + 1);
                    box.bottom = std::max(box.bottom, y + 1);
                }
            if (box.IsEmpty()) box = {0, 0, 1, 1};  // nothing moved: a one-pixel frame keeps the timing
        }
        GraphicsControlBlock gcb{DISPOSE_DO_NOT, false, delay_, NO_TRANSPARENT_COLOR};
        GifByteType ext[4];
        EGifGCBToExtension(&gcb, ext);
        const int w = (box.right - box.left) * scale_, h = (box.bottom - box.top) * scale_;
        if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, ext) != GIF_OK ||
            EGifPutImageDesc(gif_, box.left * scale_, box.top * scale_, w, h, false, nullptr) != GIF_OK)
            return Fail();
        std::vector<GifByteType> row(static_cast<size_t>(w));
        for (int32_t y = box.top; y < box.bottom; ++y) {
            for (int32_t x = box.left; x < box.right; ++x)
                for (int k = 0; k < scale_; ++k)
                    row[static_cast<size_t>((x - box.left) * scale_ + k)] = indices[static_cast<size_t>(y) * kFrameWidth + x];
            for (int k = 0; k < scale_; ++k)
                if (EGifPutLine(gif_, row.data(), w) != GIF_OK) return Fail();
        }
        last_ = std::move(indices);
    }

    bool Close() {
        int err = 0;
        GifFileType* gif = gif_;
        gif_ = nullptr;
        if (gif && EGifCloseFile(gif, &err) != GIF_OK && error_.empty()) error_ = "cannot write " + path_ + ": " + GifErrorString(err);
        return error_.empty();
    }

private:
    void Fail() {
        if (error_.empty()) error_ = "cannot write " + path_ + ": " + GifErrorString(gif_ ? gif_->Error : 0);
    }
    GifByteType Index(Color c) {
        const auto it = std::lower_bound(palette_.begin(), palette_.end(), c);
        if (it != palette_.end() && *it == c) return static_cast<GifByteType>(it - palette_.begin());
        // A colour outside the palette: the nearest one.
        size_t best = 0;
        int32_t bestD = 1 << 30;
        for (size_t i = 0; i < palette_.size(); ++i) {
            const int32_t dr = int32_t(RedOf(c)) - int32_t(RedOf(palette_[i]));
            const int32_t dg = int32_t(GreenOf(c)) - int32_t(GreenOf(palette_[i]));
            const int32_t db = int32_t(BlueOf(c)) - int32_t(BlueOf(palette_[i]));
            if (dr * dr + dg * dg + db * db < bestD) bestD = dr * dr + dg * dg + db * db, best = i;
        }
        return static_cast<GifByteType>(best);
    }

    std::string path_;
    int32_t scale_;
    int delay_;
    std::vector<Color> palette_;
    GifFileType* gif_ = nullptr;
    std::string error_;
    std::vector<GifByteType> last_;
};

}  // namespace

int Movie(int argc, char** argv) {
    std::vector<const char*> paths;
    const char* keys = nullptr;
    int64_t ticks = -1, every = 2, scale = 1;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--keys" && i + 1 < argc) {
            keys = argv[++i];
        } else if ((arg == "--ticks" || arg == "--every" || arg == "--scale") && i + 1 < argc) {
            int64_t& v = arg == "--ticks" ? ticks : arg == "--every" ? every : scale;
            if (!ParseCount("movie", arg.c_str(), argv[++i], v)) return 2;
        } else if (!arg.empty() && arg[0] != '-' && paths.size() < 2) {
            paths.push_back(argv[i]);
        } else {
            std::fprintf(stderr, "bwtool movie: unexpected argument '%s'\n%s", arg.c_str(), kMovieUsage);
            return 2;
        }
    }
    const bool fromTable = keys || ticks >= 0;
    if (paths.size() != 2 || (fromTable && (!keys || ticks < 0))) {
        std::fputs(kMovieUsage, stderr);
        return 2;
    }
    if (every < 1 || every > 50 || scale < 1 || scale > 4) {
        std::fputs("bwtool movie: --every must be from 1 to 50 and --scale from 1 to 4\n", stderr);
        return 2;
    }
    Replay replay;
    Table table(BuiltinImageLoader{});
    if (fromTable) {
        std::string error;
        if (!ParseKeyScript(keys, replay.events, error)) {
            std::fprintf(stderr, "bwtool movie: %s\n", error.c_str());
            return 2;
        }
        LoadResult loaded;
        if (!LoadTableFile(paths[0], *table.root, loaded)) return 2;
        replay.ticks = ticks;
        replay.randomState = table.state.randomState;
        StartGame(table.state);
    } else {
        std::string error;
        if (!LoadReplayFile("movie", paths[0], replay)) return 2;
        if (!StartReplay(replay, *table.root, error)) {
            std::fprintf(stderr, "bwtool movie: %s: %s\n", paths[0], error.c_str());
            return 2;
        }
    }
    if (replay.ticks / every > kMaxMovieFrames) {
        std::fprintf(stderr, "bwtool movie: at most %lld frames; use a larger --every or fewer ticks\n",
                     static_cast<long long>(kMaxMovieFrames));
        return 2;
    }
    GifWriter gif(paths[1], static_cast<int32_t>(scale), static_cast<int>(every * 2));  // 20 ms a tick
    SoftSurface surface(kFrameWidth, kFrameHeight, kWhite);
    KeyPlayback play(replay.events);
    TableState& st = table.state;
    auto frame = [&] {
        surface.SetClip(kPlayfield);
        PaintTable(st, surface, true);
        DrawScore(surface, static_cast<uint32_t>(st.score));
        gif.Frame(surface);
    };
    frame();
    while (play.Ticks() < replay.ticks && gif.Error().empty()) {
        play.Tick(st, false);
        if (play.Ticks() % every == 0) frame();
    }
    if (!gif.Close()) {
        std::fprintf(stderr, "bwtool movie: %s\n", gif.Error().c_str());
        return 2;
    }
    return 0;
}

}  // namespace bw

// The piece tree and the kinds of piece: what the editor relies on (lists,
// hit tests, shapes, moving, fitting), keys and repainting, holes, and
// drawing onto the software surface.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "files/table_text.h"
#include "model/area_surface.h"
#include "model/paint.h"
#include "model/soft_surface.h"
#include "model/xpm.h"
#include "physics/game.h"
#include "tests/core/test_util.h"

namespace {

using namespace bw;
using bwtest::Tree;
using bwtest::NewTable;

// A piece that answers every message with a fixed result.
struct StubPiece : PlacedPiece {
    StubPiece(TableState& st, int32_t r) : PlacedPiece(st, kObstacle10, 0, 0, 0), result(r) {}
    int32_t HandleMessage(PieceMessage) override { return result; }
    int32_t result;
};

TEST(Tree, AGroupAnswersWithTheGreatestLowBitsAndSkipsTheExcludedPiece) {
    const struct {
        std::vector<int32_t> results;
        int32_t want;
    } cases[] = {{{2, 5, 3}, 5}, {{0x12, 0x05}, 0x05}, {{0x14, 0x24, 0x03}, 0x14}, {{}, 0}};
    for (const auto& c : cases) {
        auto t = NewTable();
        for (int32_t r : c.results) t->root->AppendChild(std::make_unique<StubPiece>(t->state, r));
        EXPECT_EQ(t->root->HandleMessage(PieceMessage::Simulate), c.want);
    }
    auto t = NewTable();
    t->root->AppendChild(std::make_unique<StubPiece>(t->state, 1));
    t->root->AppendChild(std::make_unique<StubPiece>(t->state, 6));
    t->state.excludedPiece = t->root->LastChild();
    t->state.excludeActive = 1;
    EXPECT_EQ(t->root->HandleMessage(PieceMessage::Simulate), 1);
    t->state.excludeActive = 0;
    EXPECT_EQ(t->root->HandleMessage(PieceMessage::Simulate), 6);
}

TEST(Tree, ListsRegionsAndHitTests) {
    auto t = NewTable();
    PieceGroup& root = *t->root;
    TablePiece* a = CreatePiece(&root, kObstacle10, 50, 50);
    EXPECT_TRUE(root.region == Region::Ellipse({88, 88, 112, 112}));
    TablePiece* b = CreatePiece(&root, kHole, 54, 50);
    TablePiece* c = CreatePiece(&root, kObstacle50, 90, 50);
    EXPECT_EQ(root.PieceAt(104, 100), a);  // the first in list order
    EXPECT_EQ(root.PieceAt(115, 100), b);
    EXPECT_EQ(root.PieceAt(0, 0), nullptr);
    std::unique_ptr<TablePiece> owned = root.RemoveChild(b);  // from the middle
    EXPECT_EQ(a->next.get(), c);
    EXPECT_EQ(owned->next, nullptr);
    owned = root.RemoveChild(c);  // the last: its predecessor becomes last
    EXPECT_EQ(root.LastChild(), a);
    EXPECT_EQ(a->next, nullptr);
    EXPECT_EQ(root.RemoveChild(a).get(), a);
    EXPECT_EQ(root.FirstChild(), nullptr);
    EXPECT_TRUE(root.region.IsEmpty());
    // Only the root searches outside its own region.
    CreatePiece(&root, kHole, 10, 10);
    TablePiece* h2 = CreatePiece(&root, kHole, 40, 10);
    PieceGroup* g = AsGroup(CreatePiece(&root, kGroup, 0, 0));
    TablePiece* inner = CreatePiece(g, kHole, 20, 20);
    EXPECT_EQ(root.FindNextOfKind(kHole, root.FindChildOfKind(kHole)), h2);
    EXPECT_EQ(root.FindNextOfKind(kHole, h2), nullptr);  // not the nested one
    root.region = Region();
    EXPECT_EQ(root.PieceAt(40, 40), g);
    EXPECT_EQ(g->PieceAt(40, 40), inner);
    g->region = Region();
    EXPECT_EQ(g->PieceAt(40, 40), nullptr);
    // A border is hit as its whole group.
    TablePiece* border = CreatePiece(&root, kBorderStart, 100, 90);
    CreatePiece(AsGroup(border), kBorderSegment, 120, 90);
    EXPECT_EQ(root.PieceAt(220, 180), border);
}

TEST(Tree, TheFactoryBuildsEachKindWithItsShape) {
    auto t = NewTable();
    PieceGroup& root = *t->root;
    for (PieceKind k : {0, 3, 12, 255, -1}) EXPECT_EQ(CreatePiece(&root, k, 5, 5), nullptr) << k;
    EXPECT_EQ(CreatePiece(AsGroup(CreatePiece(&root, kGroup, 0, 0)), kBorderSegment, 5, 5), nullptr);
    for (PieceKind k : {kObstacle10, kObstacle50, kObstacle100, kHole})
        EXPECT_TRUE(CreatePiece(&root, k, 30, 40)->region == Region::Ellipse({48, 68, 72, 92})) << k;
    EXPECT_TRUE(CreatePiece(&root, kLeftFlipper, 50, 80)->region == Region::FromRect({99, 149, 121, 171}));
    EXPECT_TRUE(CreatePiece(&root, kRightFlipper, 50, 80)->region == Region::FromRect({79, 149, 101, 171}));
    auto* cannon = AsGroup(CreatePiece(&root, kCannon, 60, 90));
    EXPECT_TRUE(cannon->region == Region::FromRect({110, 170, 130, 190}));
    EXPECT_EQ(Tree(*cannon), "0 11 63 87 -> 57 87\n0 11 63 93 -> 63 87\n0 11 57 93 -> 63 93\n0 11 57 87 -> 57 93\n");
    // A border: a group at (0, 0) holding the start point; segments run back.
    PieceGroup* border = AsGroup(CreatePiece(&root, kBorderStart, 10, 10));
    auto* s = static_cast<BorderSegment*>(CreatePiece(border, kBorderSegment, 30, 20));
    EXPECT_EQ((std::array<int32_t, 4>{border->kind, Placed(*border).x, s->x2, s->y2}), (std::array<int32_t, 4>{kGroup, 0, 10, 10}));
    // 3 pixels either side of the line across its main direction (here mostly
    // horizontal, then mostly vertical); discs at the ends.
    auto* v = static_cast<BorderSegment*>(CreatePiece(AsGroup(CreatePiece(&root, kBorderStart, 10, 10)), kBorderSegment, 20, 30));
    for (auto [x, y, in] : {std::array{40, 27, 1}, {40, 32, 1}, {40, 26, 0}, {40, 33, 0}, {60, 43, 1}, {64, 40, 0}})
        EXPECT_EQ(s->region.Contains(x, y) * 2 + v->region.Contains(y, x), in * 3) << x << "," << y;
}

TEST(Tree, MovingAndFitting) {
    auto t = NewTable();
    TableState& st = t->state;
    TablePiece* border = CreatePiece(t->root.get(), kBorderStart, 10, 10);
    auto* seg = static_cast<BorderSegment*>(CreatePiece(AsGroup(border), kBorderSegment, 40, 10));
    Region expected = border->region;
    expected.Offset(2, -2);
    st.paramA = 1, st.paramB = -1;
    border->HandleMessage(PieceMessage::Move);
    EXPECT_EQ((std::array{seg->x, seg->y, seg->x2, seg->y2}), (std::array{41, 9, 11, 9}));
    EXPECT_TRUE(border->region == expected);
    border->HandleMessage(PieceMessage::RebuildRegion);
    EXPECT_TRUE(border->region == expected);

    // FitsIn tests the pending move, edges included; flippers keep their
    // blade inside, a cannon its four walls.
    TablePiece* o = CreatePiece(t->root.get(), kObstacle10, 10, 20);
    TablePiece* left = CreatePiece(t->root.get(), kLeftFlipper, 50, 80);
    TablePiece* right = CreatePiece(t->root.get(), kRightFlipper, 50, 80);
    TablePiece* cannon = CreatePiece(t->root.get(), kCannon, 60, 90);
    const struct {
        TablePiece* piece;
        int32_t dx, dy, l, t, r, b;
        bool fits;
    } cases[] = {
        {o, 0, 0, 10, 20, 10, 20, true}, {o, 0, 0, 11, 0, 100, 100, false}, {o, 0, 0, 0, 0, 9, 100, false},
        {o, 0, 0, 0, 21, 100, 100, false}, {o, 0, 0, 0, 0, 100, 19, false}, {o, 5, -20, 15, 0, 15, 0, true},
        {left, 0, 0, 50, 80, 60, 82, true}, {left, 0, 0, 50, 80, 59, 82, false}, {left, 0, 0, 50, 80, 60, 81, false},
        {right, 0, 0, 40, 80, 50, 82, true}, {right, 0, 0, 41, 80, 50, 82, false}, {cannon, 0, 0, 57, 87, 63, 93, true},
        {cannon, 0, 0, 58, 87, 63, 93, false}, {cannon, -57, -87, 0, 0, 6, 6, true},
    };
    for (const auto& c : cases) {
        st.paramA = c.dx, st.paramB = c.dy;
        EXPECT_EQ(c.piece->FitsIn(c.l, c.t, c.r, c.b), c.fits) << c.piece->kind << " " << c.l << "," << c.t;
    }
}

TEST(Keys, FlippersAndTheCannonMarkWhatToRepaint) {
    auto t = NewTable();
    TableState& st = t->state;
    auto* left = static_cast<Flipper*>(CreatePiece(t->root.get(), kLeftFlipper, 50, 80));
    auto* right = static_cast<Flipper*>(CreatePiece(t->root.get(), kRightFlipper, 100, 80));
    auto* cannon = static_cast<Cannon*>(CreatePiece(t->root.get(), kCannon, 60, 90));
    StartGame(st);
    Region& dirty = t->root->dirtyRegion;
    SendKey(st, kKeyZ, true);
    EXPECT_TRUE(dirty == left->region);
    dirty.SetEmpty();
    SendKey(st, kKeyZ, true);  // auto-repeat: nothing to repaint
    EXPECT_TRUE(dirty.IsEmpty());
    SendKey(st, kKeyX, true);
    EXPECT_TRUE(dirty == right->region);
    dirty.SetEmpty();
    // The cannon charges while SPACE is down, one step per key message, up to 10.
    for (int i = 0; i < 12; ++i) SendKey(st, kKeySpace, true);
    EXPECT_EQ(cannon->power, 10);
    EXPECT_TRUE(dirty == cannon->region);
    dirty.SetEmpty();
    SendKey(st, kKeySpace, true);
    EXPECT_TRUE(dirty.IsEmpty());
    SendKey(st, kKeySpace, false);
    EXPECT_EQ(cannon->power, 0);
    EXPECT_TRUE(dirty == cannon->region);
    ReleaseKeys(st);
    EXPECT_EQ(left->keys.pressed + right->keys.pressed, 0);
}

constexpr Color kBackground = Rgb(10, 20, 30);

// Pictures whose one kind failed to load: that kind draws none, and every
// other kind still draws its own.
class OnePictureMissing final : public ImageLoader {
public:
    explicit OnePictureMissing(PieceKind kind) : kind_(kind) {}
    std::unique_ptr<ImageList> LoadPieceImages() const override {
        std::vector<Picture> pictures = PiecePictures();
        pictures[static_cast<size_t>(kind_ - kBall)] = Picture{};
        return MakePieceImages(pictures);
    }

private:
    PieceKind kind_;
};

TEST(Drawing, PicturesAreCentredWithWhiteTransparent) {
    for (PieceKind missing : {kEndOfList, kObstacle50, kBall}) {
        const OnePictureMissing loader(missing);
        for (PieceKind kind : {kObstacle10, kObstacle50, kObstacle100, kHole, kCannon, kBall}) {
            auto t = missing == kEndOfList ? NewTable() : std::make_unique<Table>(loader);
            TablePiece* p = kind == kBall ? t->state.ball : CreatePiece(t->root.get(), kind, 60, 50);
            if (kind == kBall) t->root->HandleMessage(PieceMessage::Reset);  // no cannon: (65, 50)
            const int32_t x = kind == kBall ? 65 : 60, y = 50;
            SoftSurface s(250, 200, kBackground);
            s.SetRasterMode(RasterMode::XorPen);  // pictures ignore the raster mode
            t->state.drawTarget = &s;
            p->HandleMessage(PieceMessage::Draw);
            const Picture& pic = kind == missing ? Picture{} : PiecePictures()[static_cast<size_t>(kind - kBall)];
            SoftSurface want(250, 200, kBackground);
            for (int32_t py = 0; py < pic.height; ++py)
                for (int32_t px = 0; px < pic.width; ++px)
                    if (pic.At(px, py) != kWhite)
                        want.FillRect({2 * x - 10 + px, 2 * y - 10 + py, 2 * x - 9 + px, 2 * y - 9 + py}, pic.At(px, py));
            EXPECT_TRUE(s.Pixels() == want.Pixels()) << "kind " << kind << ", missing " << missing;
            EXPECT_EQ(t->state.imageWidth, 20);
        }
    }
}

TEST(Drawing, ThePaintedTable) {
    auto t = NewTable();
    TableState& st = t->state;
    std::string error;
    ASSERT_TRUE(TextToTable("obstacle10 0 0\ncannon 124 99\nright-flipper 124 60\nleft-flipper 20 60\n"
                            "border 100 30, 140 30\n", *t->root, error));
    st.ball->HandleMessage(PieceMessage::Reset);
    static_cast<Flipper*>(t->root->FindChildOfKind(kLeftFlipper))->keys.pressed = 1;
    SoftSurface s(260, 210, kBackground);
    s.SetClip(kPlayfield);
    PaintTable(st, s, false);
    EXPECT_EQ(st.drawTarget, nullptr);
    const struct {
        int32_t x, y;
        Color c;
    } pixels[] = {
        {249, 100, kBackground}, {100, 199, kBackground}, {30, 150, kWhite},  // clipped; blanked
        {240, 60, kPiecePen.color}, {248, 60, kPiecePen.color},               // the border
        {238, 125, kBlack}, {238, 115, kWhite},                                // right flipper at rest
        {50, 115, kBlack}, {50, 125, kWhite},                                  // left flipper raised
        {248, 188, kWhite},  // the ball rests on the cannon, drawn only in play
    };
    for (const auto& p : pixels) EXPECT_EQ(s.At(p.x, p.y), p.c) << p.x << "," << p.y;
    PaintTable(st, s, true);
    EXPECT_EQ(s.At(248, 188), PiecePictures()[0].At(10, 10));

    // The cannon's power bar: 8 wide, a row per step, above its centre.
    auto* cannon = static_cast<Cannon*>(CreatePiece(t->root.get(), kCannon, 60, 90));
    for (int32_t power : {1, 3}) {
        SoftSurface bar(250, 200, kBackground);
        st.drawTarget = &bar, cannon->power = power, cannon->HandleMessage(PieceMessage::Draw);
        for (auto [x, y, white] : {std::array{116, 175, 1}, {123, 174 + power, 1}, {116, 175 + power, 0}, {115, 175, 0}, {124, 175, 0}})
            EXPECT_EQ(bar.At(x, y) == kWhite, white == 1) << x << "," << y << " power " << power;
    }
}

// The pixels of a line, which the window fills in XOR one rectangle at a
// time: each pixel once, exactly those the pen's square covers along the
// walk, the last point left out, in every direction and within the bounds.
TEST(Drawing, ALinesPixelsAreThePensSquaresEachOnce) {
    const Rect bounds{0, 0, 40, 30};
    const std::array<int32_t, 4> lines[] = {{20, 15, 37, 15}, {20, 15, 33, 2},  {20, 15, 20, 1},  {20, 15, 11, 0},
                                            {20, 15, 2, 15},  {20, 15, 3, 26},  {20, 15, 20, 29}, {20, 15, 36, 24},
                                            {-9, -5, 50, 40}, {20, 15, 20, 15}, {0, 29, 39, 0}};
    for (int32_t width : {1, 2}) {
        for (const auto& [x1, y1, x2, y2] : lines) {
            std::vector<int> covered(40 * 30, 0), stamped(40 * 30, 0);
            for (const Rect& r : LinePixels(x1, y1, x2, y2, width, bounds))
                for (int32_t y = r.top; y < r.bottom; ++y)
                    for (int32_t x = r.left; x < r.right; ++x) ++covered[static_cast<size_t>(y * 40 + x)];
            // Bresenham's walk, and the pen's square at each point of it.
            for (int32_t x = x1, y = y1, err = std::abs(x2 - x1) - std::abs(y2 - y1); x != x2 || y != y2;) {
                for (int32_t sy = y - width / 2; sy <= y + (width - 1) / 2; ++sy)
                    for (int32_t sx = x - width / 2; sx <= x + (width - 1) / 2; ++sx)
                        if (bounds.Contains(sx, sy)) stamped[static_cast<size_t>(sy * 40 + sx)] = 1;
                const int32_t e2 = 2 * err;
                if (e2 >= -std::abs(y2 - y1)) err -= std::abs(y2 - y1), x += x1 < x2 ? 1 : -1;
                if (e2 <= std::abs(x2 - x1)) err += std::abs(x2 - x1), y += y1 < y2 ? 1 : -1;
            }
            EXPECT_TRUE(covered == stamped) << width << ": " << x1 << "," << y1 << " to " << x2 << "," << y2;
        }
    }
}

TEST(Drawing, APaintThroughAnAreaIsTheWholePaintThere) {
    auto t = NewTable();
    std::string error;
    ASSERT_TRUE(TextToTable("border 2 2, 120 2, 120 97\nobstacle100 60 40\nleft-flipper 30 80\ncannon 110 90\n"
                            "hole 20 20\n", *t->root, error));
    t->state.ball->HandleMessage(PieceMessage::Reset);
    SoftSurface whole(250, 200, kBackground);
    PaintTable(t->state, whole, true);
    const std::vector<Rect> area = {{100, 60, 140, 100}, {10, 150, 70, 170}, {230, 170, 250, 200}};
    SoftSurface passed(250, 200, kBackground);
    AreaSurface reaching(passed, area, {10, 60, 250, 200});
    PaintTable(t->state, reaching, true);
    int outside = 0;
    for (int32_t y = 0; y < 200; ++y)
        for (int32_t x = 0; x < 250; ++x) {
            bool in = false;
            for (const Rect& r : area) in = in || r.Contains(x, y);
            if (in) EXPECT_EQ(passed.At(x, y), whole.At(x, y)) << x << "," << y;
            else outside += passed.At(x, y) != whole.At(x, y) && whole.At(x, y) != kWhite;
        }
    EXPECT_GT(outside, 500) << "drawing far from the area is left out";
}

TEST(Drawing, APictureSourceIsReadWholeOrNotAtAll) {
    const struct {
        std::vector<const char*> lines;
        int32_t width;  // 0: refused
    } cases[] = {
        {{"2 1 2 1", "a c #FF0000", "b c #0000FF", "ab"}, 2},
        {{"2 1 2 1", "a c #FF0000", "b c #0000FF"}, 0},        // a row missing
        {{"2 1 2 1", "a c #FF0000", "b c #0000FF", "a"}, 0},   // a row too short
        {{"2 1 2 1", "a c #FF0000", "b c #0000FF", "ax"}, 0},  // a colour never given
        {{"2 1 2 1", "a c #FF0000", "b c none", "ab"}, 0},
        {{"2 1 2 2", "a c #FF0000", "b c #0000FF", "ab"}, 0},  // two characters a pixel
        {{"0 1 2 1", "a c #FF0000", "b c #0000FF", "ab"}, 0},
        {{"2 0 2 1", "a c #FF0000", "b c #0000FF", "ab"}, 0},
        {{"2 1 0 1", "ab"}, 0},
        {{"2 1 257 1", "ab"}, 0},
        {{"5000 1 1 1", "a c #FF0000", "a"}, 0},
        {{"two by one"}, 0},
    };
    for (const auto& c : cases) {
        const Picture p = ParseXpm(c.lines.data(), static_cast<int>(c.lines.size()));
        EXPECT_EQ(p.width, c.width) << c.lines[0] << " with " << c.lines.size() << " lines";
        EXPECT_EQ(p.pixels.size(), static_cast<size_t>(c.width));
    }
    const char* ok[] = {"2 1 2 1", "a c #FF0000", "b c #0000FF", "ab"};
    const Picture p = ParseXpm(ok, 4);
    ASSERT_EQ(p.height, 1);
    EXPECT_EQ(p.At(0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(p.At(1, 0), Rgb(0, 0, 255));
}

}  // namespace

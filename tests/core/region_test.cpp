// Regions: the pixel rules of each shape, combining, moving, and the
// rectangle listing, checked against a plain set of pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "model/region.h"

namespace {

using bw::Point;
using bw::Rect;
using bw::Region;

// ---- a naive model: one flag per pixel over a square window ---------------

constexpr int kLo = -64, kHi = 64, kSide = kHi - kLo;

struct Pixels {
    std::vector<uint8_t> on = std::vector<uint8_t>(kSide * kSide, 0);
    uint8_t& At(int x, int y) { return on[(y - kLo) * kSide + (x - kLo)]; }
    bool Get(int x, int y) const {
        if (x < kLo || x >= kHi || y < kLo || y >= kHi) return false;
        return on[(y - kLo) * kSide + (x - kLo)] != 0;
    }
};

template <class F>
Pixels Make(F inside) {
    Pixels p;
    for (int y = kLo; y < kHi; ++y)
        for (int x = kLo; x < kHi; ++x) p.At(x, y) = inside(x, y) ? 1 : 0;
    return p;
}

Pixels NaiveRect(const Rect& r) {
    return Make([&](int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; });
}

// A pixel belongs to the inscribed ellipse when its centre lies inside it.
Pixels NaiveEllipse(const Rect& r) {
    const int64_t w = r.right - r.left, h = r.bottom - r.top;
    return Make([&](int x, int y) {
        if (w <= 0 || h <= 0) return false;
        const int64_t u = 2 * x + 1 - (r.left + r.right), v = 2 * y + 1 - (r.top + r.bottom);
        return u * u * h * h + v * v * w * w <= w * w * h * h;
    });
}

// Winding number at the pixel's centre, by exact rational comparison.
Pixels NaivePolygon(const std::vector<Point>& pts) {
    const int n = static_cast<int>(pts.size());
    return Make([&](int x, int y) {
        if (n < 3) return false;
        const int64_t cy = 2 * y + 1, cx = 2 * x + 1;  // doubled centre
        int winding = 0;
        for (int i = 0; i < n; ++i) {
            const Point p = pts[i], q = pts[(i + 1) % n];
            if (p.y == q.y) continue;
            const int64_t ylo = 2 * std::min(p.y, q.y), yhi = 2 * std::max(p.y, q.y);
            if (cy < ylo || cy >= yhi) continue;
            // Crossing X (doubled) = 2 p.x + (cy - 2 p.y)(q.x - p.x)/(q.y - p.y); count it
            // when it lies at or left of the centre.
            int64_t num = 2 * int64_t{p.x} * (q.y - p.y) + (cy - 2 * int64_t{p.y}) * (q.x - p.x);
            int64_t den = q.y - p.y;
            if (den < 0) num = -num, den = -den;
            if (num <= cx * den) winding += q.y > p.y ? 1 : -1;
        }
        return winding != 0;
    });
}

void ExpectSame(const Region& g, const Pixels& m, const char* what) {
    SCOPED_TRACE(what);
    int minX = kHi, minY = kHi, maxX = kLo - 1, maxY = kLo - 1;
    int someX = 0, someY = 0;  // a pixel of the region
    int mismatches = 0;
    for (int y = kLo; y < kHi; ++y) {
        for (int x = kLo; x < kHi; ++x) {
            const bool in = m.Get(x, y);
            if (g.Contains(x, y) != in && ++mismatches <= 3)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") expected " << (in ? "in" : "out");
            if (in) {
                someX = x, someY = y;
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
        }
    }
    ASSERT_EQ(mismatches, 0);
    const bool empty = maxX < minX;
    EXPECT_EQ(g.IsEmpty(), empty);
    EXPECT_EQ(g.Box(), (empty ? Rect{} : Rect{minX, minY, maxX + 1, maxY + 1}));

    // The rectangle listing covers each pixel of the region exactly once.
    Pixels cover;
    const std::vector<Rect> rects = g.Rects();
    for (size_t i = 0; i < rects.size(); ++i) {
        const Rect& r = rects[i];
        ASSERT_FALSE(r.IsEmpty());
        ASSERT_TRUE(r.left >= kLo && r.right <= kHi && r.top >= kLo && r.bottom <= kHi);
        if (i > 0) {
            const Rect& p = rects[i - 1];
            EXPECT_TRUE(p.top < r.top || (p.top == r.top && p.right <= r.left)) << "listing out of order";
        }
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) cover.At(x, y)++;
    }
    EXPECT_TRUE(cover.on == m.on) << "the rectangles do not cover exactly the region";

    // Equality is by pixels, whatever form the region was built in.
    Region rows;
    for (int y = kLo; y < kHi; ++y)
        for (int x = kLo; x < kHi;) {
            if (!m.Get(x, y)) {
                ++x;
                continue;
            }
            int e = x;
            while (e < kHi && m.Get(e, y)) ++e;
            rows.Unite(Region::FromRect({x, y, e, y + 1}));
            x = e;
        }
    EXPECT_TRUE(g == rows);
    if (!empty) {
        Region less = g;
        less.Subtract(Region::FromRect({someX, someY, someX + 1, someY + 1}));
        Region more = g;
        more.Unite(Region::FromRect({kLo, kLo, kLo + 1, kLo + 1}));
        EXPECT_FALSE(g == less);
        EXPECT_EQ(g == more, m.Get(kLo, kLo));
    }
}

// ---- stated pixel rules ----------------------------------------------------

TEST(Region, RectangleExcludesRightAndBottomEdges) {
    const Region r = Region::FromRect({10, 20, 30, 40});
    EXPECT_TRUE(r.Contains(10, 20));
    EXPECT_TRUE(r.Contains(29, 39));
    EXPECT_FALSE(r.Contains(30, 20));
    EXPECT_FALSE(r.Contains(10, 40));
    EXPECT_FALSE(r.Contains(9, 20));
    EXPECT_FALSE(r.Contains(10, 19));
    EXPECT_EQ(r.Box(), (Rect{10, 20, 30, 40}));
}

TEST(Region, NewAndDegenerateShapesAreEmpty) {
    EXPECT_TRUE(Region().IsEmpty());
    EXPECT_EQ(Region().Box(), Rect{});
    EXPECT_TRUE(Region().Rects().empty());
    for (const Rect& r : {Rect{0, 0, 0, 0}, Rect{5, 5, 5, 9}, Rect{5, 5, 9, 5}, Rect{9, 9, 5, 12}}) {
        EXPECT_TRUE(Region::FromRect(r).IsEmpty());
        EXPECT_TRUE(Region::Ellipse(r).IsEmpty());
        EXPECT_TRUE(Region::FromRect(r) == Region());
    }
    const Point line[] = {{0, 0}, {10, 10}, {20, 20}, {5, 5}};
    EXPECT_TRUE(Region::Polygon(line, 4).IsEmpty());
}

TEST(Region, ObstacleCircleIsInscribedInItsRectangle) {
    // An obstacle at table (50, 50).
    const Region e = Region::Ellipse({88, 88, 112, 112});
    EXPECT_TRUE(e.Contains(100, 100));
    EXPECT_FALSE(e.Contains(112, 100));
    EXPECT_FALSE(e.Contains(89, 89));
    EXPECT_FALSE(e.Contains(88, 88));
    EXPECT_TRUE(e.Contains(88, 100));  // the widest row reaches both sides
    EXPECT_TRUE(e.Contains(111, 100));
    EXPECT_TRUE(e.Contains(100, 88));
    EXPECT_TRUE(e.Contains(100, 111));
    EXPECT_EQ(e.Box(), (Rect{88, 88, 112, 112}));
    ExpectSame(Region::Ellipse({-12, -12, 12, 12}), NaiveEllipse({-12, -12, 12, 12}), "circle");
}

TEST(Region, PolygonFillsByWindingAndMatchesRectangleRule) {
    const Point square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_TRUE(Region::Polygon(square, 4) == Region::FromRect({0, 0, 10, 10}));

    // A square gone round twice has winding 2 everywhere: still filled.
    const Point twice[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_TRUE(Region::Polygon(twice, 8) == Region::FromRect({0, 0, 10, 10}));

    // A five-pointed star: the centre has winding 2 (even-odd would leave it out).
    const Point star[] = {{0, -30}, {18, 24}, {-29, -9}, {29, -9}, {-18, 24}};
    const Region s = Region::Polygon(star, 5);
    EXPECT_TRUE(s.Contains(0, 0));
    EXPECT_TRUE(s.Contains(0, -25));
    EXPECT_FALSE(s.Contains(0, 22));  // between two lower points
    ExpectSame(s, NaivePolygon({std::begin(star), std::end(star)}), "star");
}

// ---- combining -------------------------------------------------------------

TEST(Region, UnitingWithTheEmptyRegionGivesTheOther) {
    const Region e = Region::Ellipse({88, 88, 112, 112});
    Region g;
    g.Unite(e);
    EXPECT_TRUE(g == e);
    Region h = e;
    h.Unite(Region());
    EXPECT_TRUE(h == e);
}

TEST(Region, CombiningARegionWithItself) {
    Region g = Region::Ellipse({0, 0, 30, 20});
    g.Unite(Region::FromRect({40, 0, 50, 10}));
    const Region before = g;
    g.Unite(g);
    EXPECT_TRUE(g == before);
    g.Subtract(g);
    EXPECT_TRUE(g.IsEmpty());
}

TEST(Region, DiffRemovesPixelsAnotherShapeAlsoCovers) {
    const Region a = Region::FromRect({0, 0, 20, 10});
    const Region b = Region::FromRect({10, 0, 30, 10});
    Region group;
    group.Unite(a);
    group.Unite(b);
    group.Subtract(b);
    EXPECT_TRUE(group.Contains(5, 5));
    EXPECT_FALSE(group.Contains(15, 5));  // a's pixel, removed with b
    EXPECT_TRUE(group == Region::FromRect({0, 0, 10, 10}));
    group.Subtract(Region::FromRect({-100, -100, 100, 100}));
    EXPECT_TRUE(group.IsEmpty());
}

TEST(Region, MovingFarOutsideThePlayfieldAndBackKeepsEveryPixel) {
    Region g = Region::Ellipse({88, 88, 112, 112});
    const Point band[] = {{20, 17}, {100, 17}, {100, 23}, {20, 23}};
    g.Unite(Region::Polygon(band, 4));
    g.Subtract(Region::FromRect({95, 95, 100, 100}));
    const Region original = g;
    const Rect box = g.Box();

    g.Offset(-100000, 70000);
    EXPECT_FALSE(g.Contains(100, 100));
    EXPECT_TRUE(g.Contains(100 - 100000, 100 + 70000));
    EXPECT_FALSE(g.Contains(97 - 100000, 97 + 70000));
    EXPECT_EQ(g.Box(), (Rect{box.left - 100000, box.top + 70000, box.right - 100000, box.bottom + 70000}));
    g.Offset(100000, -70000);
    EXPECT_TRUE(g == original);

    Region e = Region::Ellipse({0, 0, 24, 24});
    e.Offset(-300, -300);
    EXPECT_TRUE(e == Region::Ellipse({-300, -300, -276, -276}));
    e.Offset(300, 300);
    EXPECT_TRUE(e == Region::Ellipse({0, 0, 24, 24}));

    Region empty;
    empty.Offset(7, 9);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.Box(), Rect{});
}

TEST(Region, RectangleListingOfAnLShape) {
    Region g = Region::FromRect({0, 0, 10, 4});
    g.Unite(Region::FromRect({0, 4, 3, 10}));
    ExpectSame(g, Make([](int x, int y) { return (x >= 0 && x < 10 && y >= 0 && y < 4) ||
                                                  (x >= 0 && x < 3 && y >= 4 && y < 10); }),
               "L");
    EXPECT_EQ(g.Rects().size(), 2u);  // one band per distinct row pattern
}

// ---- random shapes against the pixel model ---------------------------------

struct Shape {
    Region region;
    Pixels pixels;
};

Shape RandomShape(std::mt19937& rng) {
    std::uniform_int_distribution<int> c(-40, 40), kind(0, 3), count(3, 6);
    Rect r{c(rng), c(rng), c(rng), c(rng)};
    switch (kind(rng)) {
        case 0: return {Region::FromRect(r), NaiveRect(r)};
        case 1: r.Normalize(); return {Region::FromRect(r), NaiveRect(r)};
        case 2: r.Normalize(); return {Region::Ellipse(r), NaiveEllipse(r)};
        default: {
            std::vector<Point> pts(static_cast<size_t>(count(rng)));
            for (Point& p : pts) p = {c(rng), c(rng)};
            return {Region::Polygon(pts.data(), static_cast<int>(pts.size())), NaivePolygon(pts)};
        }
    }
}

TEST(Region, ManyUnionsAtOnceMatchAPixelSet) {
    // A group's rebuild unites all its children one after another.
    std::mt19937 rng(77);
    for (int round = 0; round < 12; ++round) {
        Shape s = RandomShape(rng);
        const int count = 3 + round * 4;
        for (int i = 0; i < count; ++i) {
            const Shape t = RandomShape(rng);
            s.region.Unite(t.region);
            for (size_t k = 0; k < s.pixels.on.size(); ++k) s.pixels.on[k] |= t.pixels.on[k];
        }
        Region copy = s.region;
        copy.Offset(1000, -1000);
        copy.Offset(-1000, 1000);
        ExpectSame(copy, s.pixels, "many");
        ExpectSame(s.region, s.pixels, "many");
        if (HasFatalFailure()) return;
    }
}

TEST(Region, RandomCombinationsMatchAPixelSet) {
    std::mt19937 rng(20240601);
    std::uniform_int_distribution<int> op(0, 4), d(-8, 8);
    for (int round = 0; round < 120; ++round) {
        Shape s = RandomShape(rng);
        ExpectSame(s.region, s.pixels, "shape");
        if (HasFatalFailure()) return;
        for (int step = 0; step < 5; ++step) {
            const int o = op(rng);
            if (o <= 1) {
                const Shape t = RandomShape(rng);
                s.region.Unite(t.region);
                for (size_t i = 0; i < s.pixels.on.size(); ++i) s.pixels.on[i] |= t.pixels.on[i];
            } else if (o <= 3) {
                const Shape t = RandomShape(rng);
                s.region.Subtract(t.region);
                for (size_t i = 0; i < s.pixels.on.size(); ++i) s.pixels.on[i] &= !t.pixels.on[i];
            } else {
                // Small moves keep every pixel inside the model's window.
                const Rect b = s.region.Box();
                const int dx = b.IsEmpty() ? 0 : std::clamp(d(rng), kLo - b.left, kHi - b.right);
                const int dy = b.IsEmpty() ? 0 : std::clamp(d(rng), kLo - b.top, kHi - b.bottom);
                s.region.Offset(dx, dy);
                const Pixels old = s.pixels;
                s.pixels = Make([&](int x, int y) { return old.Get(x - dx, y - dy); });
            }
            ExpectSame(s.region, s.pixels, "combined");
            if (HasFatalFailure()) return;
        }
    }
}

}  // namespace

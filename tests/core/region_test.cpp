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

// A naive model: one flag per pixel over a square window.
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

// Winding number at the pixel's centre, by exact rational comparison: the
// crossings left of it, or those right of it (a centre on an edge is in).
Pixels NaivePolygon(const std::vector<Point>& pts) {
    const int n = static_cast<int>(pts.size());
    return Make([&](int x, int y) {
        if (n < 3) return false;
        const int64_t cy = 2 * y + 1, cx = 2 * x + 1;  // doubled centre
        int left = 0, right = 0;
        for (int i = 0; i < n; ++i) {
            const Point p = pts[i], q = pts[(i + 1) % n];
            if (p.y == q.y) continue;
            const int64_t ylo = 2 * std::min(p.y, q.y), yhi = 2 * std::max(p.y, q.y);
            if (cy < ylo || cy >= yhi) continue;
            // Crossing X (doubled) = 2 p.x + (cy - 2 p.y)(q.x - p.x)/(q.y - p.y).
            int64_t num = 2 * int64_t{p.x} * (q.y - p.y) + (cy - 2 * int64_t{p.y}) * (q.x - p.x);
            int64_t den = q.y - p.y;
            if (den < 0) num = -num, den = -den;
            const int dir = q.y > p.y ? 1 : -1;
            if (num < cx * den) left += dir;
            if (num > cx * den) right += dir;
        }
        return left != 0 || right != 0;
    });
}

// Compares a region with the model: its pixels, box, rectangle listing (in
// order, covering each pixel once) and equality with the same pixels built
// row by row.
void ExpectSame(const Region& g, const Pixels& m, const char* what) {
    SCOPED_TRACE(what);
    Rect box{kHi, kHi, kLo, kLo};
    Region rows;
    int mismatches = 0;
    for (int y = kLo; y < kHi; ++y)
        for (int x = kLo; x < kHi; ++x) {
            if (g.Contains(x, y) != m.Get(x, y) && ++mismatches <= 3) ADD_FAILURE() << "pixel " << x << "," << y;
            if (!m.Get(x, y) || m.Get(x - 1, y)) continue;
            int e = x;
            while (m.Get(e, y)) ++e;
            rows.Unite(Region::FromRect({x, y, e, y + 1}));
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, e), std::max(box.bottom, y + 1)};
        }
    ASSERT_EQ(mismatches, 0);
    EXPECT_EQ(g.IsEmpty(), box.left == kHi);
    EXPECT_EQ(g.Box(), (box.left == kHi ? Rect{} : box));
    Pixels cover;
    const std::vector<Rect> rects = g.Rects();
    for (size_t i = 0; i < rects.size(); ++i) {
        const Rect& r = rects[i];
        ASSERT_TRUE(!r.IsEmpty() && r.left >= kLo && r.right <= kHi && r.top >= kLo && r.bottom <= kHi);
        if (i > 0) EXPECT_TRUE(rects[i - 1].top < r.top || (rects[i - 1].top == r.top && rects[i - 1].right <= r.left));
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) cover.At(x, y)++;
    }
    EXPECT_TRUE(cover.on == m.on) << "the rectangles do not cover exactly the region";
    EXPECT_TRUE(g == rows);
    Region more = g;
    more.Unite(Region::FromRect({kLo, kLo, kLo + 1, kLo + 1}));
    EXPECT_EQ(g == more, m.Get(kLo, kLo));
}

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

// Unions come in runs (a group's rebuild unites all its children one after
// another, sometimes a region with itself), subtractions and small moves in
// between; a far move and back keeps every pixel.
TEST(Region, RandomCombinationsMatchAPixelSet) {
    std::mt19937 rng(20240601);
    std::uniform_int_distribution<int> op(0, 4), d(-8, 8);
    for (int round = 0; round < 120; ++round) {
        Shape s = RandomShape(rng);
        ExpectSame(s.region, s.pixels, "shape");
        for (int step = 0; step < 5 && !HasFatalFailure(); ++step) {
            const int o = op(rng);
            for (int n = o <= 1 ? 1 + round % 12 * 3 : o <= 3; n > 0; --n) {
                const Shape t = RandomShape(rng);
                const bool self = (round + step + n) % 7 == 0;
                const Shape& u = self ? s : t;
                if (o <= 1) s.region.Unite(u.region);
                else s.region.Subtract(u.region);
                const Pixels before = s.pixels;
                for (size_t i = 0; i < s.pixels.on.size(); ++i)
                    s.pixels.on[i] = o <= 1 ? before.on[i] | u.pixels.on[i] : before.on[i] & !u.pixels.on[i];
            }
            if (o == 4) {  // small moves keep every pixel inside the model's window
                const Rect b = s.region.Box();
                const int dx = b.IsEmpty() ? 0 : std::clamp(d(rng), kLo - b.left, kHi - b.right);
                const int dy = b.IsEmpty() ? 0 : std::clamp(d(rng), kLo - b.top, kHi - b.bottom);
                s.region.Offset(dx, dy);
                const Pixels old = s.pixels;
                s.pixels = Make([&](int x, int y) { return old.Get(x - dx, y - dy); });
            }
            ExpectSame(s.region, s.pixels, "combined");
        }
        s.region.Offset(100000, -70000);
        s.region.Offset(-100000, 70000);
        ExpectSame(s.region, s.pixels, "moved far and back");
        if (HasFatalFailure()) return;
    }
}

}  // namespace

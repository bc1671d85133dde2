// Regions: sets of window pixels that give the pieces their shapes.
//
// A region is kept in the cheapest form that describes it exactly: a plain
// rectangle, an ellipse (stored as its bounding rectangle) or, once shapes
// have been combined, a list of y-bands each holding sorted x-spans. Making
// a rectangle or ellipse region therefore costs nothing, and combining two
// regions costs in proportion to their outlines, not their areas.
//
// Pixel rules: a rectangle (l, t, r, b) covers l <= x < r and t <= y < b; an
// ellipse is the one inscribed in its rectangle (a pixel belongs to it when
// its centre lies inside); polygons are filled with the winding rule, again
// sampling pixel centres (a centre on an edge is inside, on either side, so
// that mirror images of shapes are mirror images pixel for pixel).
#pragma once

#include <cstdint>
#include <vector>

namespace bw {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool IsEmpty() const { return left >= right || top >= bottom; }
    bool Contains(int32_t x, int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    // Moves left/top outwards by (dx, dy) and right/bottom by the same amount.
    void Inflate(int32_t dx, int32_t dy) {
        left -= dx;
        top -= dy;
        right += dx;
        bottom += dy;
    }
    // Swaps the corners where needed so that left <= right and top <= bottom.
    void Normalize();
    friend bool operator==(const Rect&, const Rect&) = default;
};

class Region {
public:
    Region() = default;  // the empty region (0, 0, 0, 0)

    static Region FromRect(const Rect& r);
    static Region Ellipse(const Rect& bounds);
    // Winding-rule fill of the closed polygon through the points.
    static Region Polygon(const Point* points, int count);

    void SetEmpty() { *this = Region(); }
    // Replace the region in place, keeping its storage for later use (the
    // ball's region is remade twice in every play tick).
    void SetRect(const Rect& r);
    void SetEllipse(const Rect& bounds);
    bool IsEmpty() const;

    // this = this OR other / this = this minus other.
    void Unite(const Region& other);
    void Subtract(const Region& other);
    void Offset(int32_t dx, int32_t dy);

    bool Contains(int32_t x, int32_t y) const;
    // Smallest rectangle holding every pixel; (0, 0, 0, 0) when empty.
    Rect Box() const;
    // The region as disjoint rectangles, top to bottom, left to right.
    std::vector<Rect> Rects() const;
    template <class F>
    void ForEachRect(F&& f) const {
        for (const Rect& r : Rects()) f(r);
    }

    // Same set of pixels (whatever the internal form).
    friend bool operator==(const Region& a, const Region& b);

    struct Span {
        int32_t left, right;
        friend bool operator==(const Span&, const Span&) = default;
    };
    struct Band {
        int32_t top, bottom;
        uint32_t first, count;  // spans_[first .. first + count)
    };
    struct Bands {
        std::vector<Band> bands;
        std::vector<Span> spans;
        void Clear() {
            bands.clear();
            spans.clear();
        }
        // Appends a band, merging it into the previous one when it continues
        // it with the same spans. The spans must already be at the back.
        void CloseBand(int32_t top, int32_t bottom, uint32_t first);
    };

private:
    enum class Form : uint8_t { Rect, Ellipse, Bands };

    void ToBands(Bands& out) const;
    void AdoptBands(Bands&& b) const;
    // Folds the pending unions into one band list. The value is unchanged,
    // so const readers may call it.
    void Flatten() const;

    // Mutable: folding the pending unions (Flatten) changes the form, not
    // the value, and happens in readers.
    mutable Form form_ = Form::Rect;
    mutable Rect box_{};  // the rectangle, the ellipse's bounds, or the bands' box
    mutable Bands bands_;
    // Regions united into this one but not yet merged: uniting many pieces
    // (a group's rebuild, loading a table) costs one merge when the result
    // is first looked at, not one per piece.
    mutable std::vector<Region> pending_;
};

}  // namespace bw

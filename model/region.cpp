#include "model/region.h"

#include <algorithm>
#include <limits>

namespace bw {

namespace {

using Span = Region::Span;
using Bands = Region::Bands;
using Band = Region::Band;

int64_t ISqrt(int64_t v) {
    if (v <= 0) return 0;
    int64_t r = 0;
    int64_t bit = int64_t{1} << 62;
    while (bit > v) bit >>= 2;
    while (bit != 0) {
        if (v >= r + bit) {
            v -= r + bit;
            r = (r >> 1) + bit;
        } else {
            r >>= 1;
        }
        bit >>= 2;
    }
    return r;
}

// Floor and ceiling of a / b for b > 0.
int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Pixels [xl, xr) of row y of the ellipse inscribed in r; false when the row
// holds none. A pixel belongs when its centre lies inside the ellipse.
bool EllipseRow(const Rect& r, int32_t y, int32_t& xl, int32_t& xr) {
    const int64_t w = int64_t{r.right} - r.left;
    const int64_t h = int64_t{r.bottom} - r.top;
    if (w <= 0 || h <= 0 || y < r.top || y >= r.bottom) return false;
    // In doubled coordinates, with u = 2x + 1 - (l + r) and v likewise:
    // u^2 h^2 + v^2 w^2 <= w^2 h^2.
    const int64_t v = 2 * int64_t{y} + 1 - (int64_t{r.top} + r.bottom);
    // Largest u >= 0 with u^2 h^2 <= w^2 (h^2 - v^2).
    const int64_t hv = h * h - v * v;
    if (hv < 0) return false;
    int64_t umax;
    if (w <= (1 << 15) && h <= (1 << 15)) {
        // u^2 <= floor(w^2 hv / h^2) holds exactly for integer u.
        umax = ISqrt(w * w * hv / (h * h));
    } else {
        // Huge shapes (never built by the table): binary search on u.
        int64_t lo = 0, hi = w;
        while (lo < hi) {
            const int64_t mid = lo + (hi - lo + 1) / 2;
            const long double lhs = static_cast<long double>(mid) * mid * h * h;
            const long double rhs = static_cast<long double>(w) * w * hv;
            if (lhs <= rhs) lo = mid;
            else hi = mid - 1;
        }
        umax = lo;
    }
    // u must have the parity of 1 - (l + r).
    const int64_t parity = (1 - (int64_t{r.left} + r.right)) & 1;
    if ((umax & 1) != parity) --umax;
    if (umax < 0) return false;
    const int64_t sum = int64_t{r.left} + r.right;
    xl = Clamp32((-umax - 1 + sum) / 2);
    xr = Clamp32((umax - 1 + sum) / 2 + 1);
    return xl < xr;
}

// Appends a op b (both sorted, disjoint, non-touching) to out.
void UniteSpans(const Span* a, uint32_t na, const Span* b, uint32_t nb, std::vector<Span>& out) {
    uint32_t i = 0, j = 0;
    const size_t start = out.size();
    auto push = [&](Span s) {
        if (out.size() > start && out.back().right >= s.left) {
            out.back().right = std::max(out.back().right, s.right);
        } else {
            out.push_back(s);
        }
    };
    while (i < na || j < nb) {
        if (j >= nb || (i < na && a[i].left <= b[j].left)) push(a[i++]);
        else push(b[j++]);
    }
}

void SubtractSpans(const Span* a, uint32_t na, const Span* b, uint32_t nb, std::vector<Span>& out) {
    uint32_t j = 0;
    for (uint32_t i = 0; i < na; ++i) {
        int32_t left = a[i].left;
        const int32_t right = a[i].right;
        while (j < nb && b[j].right <= left) ++j;
        uint32_t k = j;
        while (left < right) {
            if (k >= nb || b[k].left >= right) {
                out.push_back({left, right});
                break;
            }
            if (b[k].left > left) out.push_back({left, b[k].left});
            left = std::max(left, b[k].right);
            ++k;
        }
    }
}

enum class Op { Unite, Subtract };

void Combine(const Bands& a, const Bands& b, Op op, Bands& out) {
    out.Clear();
    const size_t na = a.bands.size(), nb = b.bands.size();
    size_t ia = 0, ib = 0;
    constexpr int32_t kInf = std::numeric_limits<int32_t>::max();
    int32_t y = std::numeric_limits<int32_t>::min();
    for (;;) {
        while (ia < na && a.bands[ia].bottom <= y) ++ia;
        while (ib < nb && b.bands[ib].bottom <= y) ++ib;
        if (ia >= na && (ib >= nb || op == Op::Subtract)) break;
        const Band* ba = (ia < na) ? &a.bands[ia] : nullptr;
        const Band* bb = (ib < nb) ? &b.bands[ib] : nullptr;
        const bool inA = ba && ba->top <= y;
        const bool inB = bb && bb->top <= y;
        if (!inA && !inB) {
            y = std::min(ba ? ba->top : kInf, bb ? bb->top : kInf);
            continue;
        }
        int32_t next = kInf;
        if (ba) next = std::min(next, inA ? ba->bottom : ba->top);
        if (bb) next = std::min(next, inB ? bb->bottom : bb->top);
        const uint32_t first = static_cast<uint32_t>(out.spans.size());
        const Span* sa = inA ? &a.spans[ba->first] : nullptr;
        const Span* sb = inB ? &b.spans[bb->first] : nullptr;
        const uint32_t ca = inA ? ba->count : 0, cb = inB ? bb->count : 0;
        if (op == Op::Unite) UniteSpans(sa, ca, sb, cb, out.spans);
        else SubtractSpans(sa, ca, sb, cb, out.spans);
        out.CloseBand(y, next, first);
        y = next;
    }
}

// The union of many band lists in one sweep down the y boundaries.
void UniteMany(const std::vector<Bands>& in, Bands& out) {
    out.Clear();
    std::vector<int32_t> ys;
    for (const Bands& b : in)
        for (const Band& band : b.bands) {
            ys.push_back(band.top);
            ys.push_back(band.bottom);
        }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    std::vector<size_t> cursor(in.size(), 0);
    std::vector<Span> row;
    for (size_t k = 0; k + 1 < ys.size(); ++k) {
        const int32_t y0 = ys[k], y1 = ys[k + 1];
        row.clear();
        for (size_t j = 0; j < in.size(); ++j) {
            const auto& bands = in[j].bands;
            size_t& c = cursor[j];
            while (c < bands.size() && bands[c].bottom <= y0) ++c;
            if (c < bands.size() && bands[c].top <= y0) {
                const Band& band = bands[c];
                row.insert(row.end(), in[j].spans.begin() + band.first,
                           in[j].spans.begin() + band.first + band.count);
            }
        }
        if (row.empty()) continue;
        std::sort(row.begin(), row.end(), [](const Span& a, const Span& b) { return a.left < b.left; });
        const uint32_t first = static_cast<uint32_t>(out.spans.size());
        for (const Span& sp : row) {
            if (out.spans.size() > first && out.spans.back().right >= sp.left)
                out.spans.back().right = std::max(out.spans.back().right, sp.right);
            else
                out.spans.push_back(sp);
        }
        out.CloseBand(y0, y1, first);
    }
}

}  // namespace

void Region::Flatten() const {
    if (pending_.empty()) return;
    std::vector<Bands> parts(pending_.size() + 1);
    std::vector<Region> pending = std::move(pending_);
    pending_.clear();
    ToBands(parts[0]);
    for (size_t i = 0; i < pending.size(); ++i) pending[i].ToBands(parts[i + 1]);
    Bands out;
    UniteMany(parts, out);
    AdoptBands(std::move(out));
}

void Rect::Normalize() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
}

void Bands::CloseBand(int32_t top, int32_t bottom, uint32_t first) {
    const uint32_t count = static_cast<uint32_t>(spans.size()) - first;
    if (count == 0 || top >= bottom) {
        spans.resize(first);
        return;
    }
    if (!bands.empty()) {
        Band& prev = bands.back();
        if (prev.bottom == top && prev.count == count &&
            std::equal(spans.begin() + prev.first, spans.begin() + prev.first + count,
                       spans.begin() + first)) {
            prev.bottom = bottom;
            spans.resize(first);
            return;
        }
    }
    bands.push_back({top, bottom, first, count});
}

Region Region::FromRect(const Rect& r) {
    Region g;
    if (!r.IsEmpty()) g.box_ = r;
    return g;
}

void Region::SetRect(const Rect& r) {
    pending_.clear();
    bands_.Clear();
    form_ = Form::Rect;
    box_ = r.IsEmpty() ? Rect{} : r;
}

void Region::SetEllipse(const Rect& bounds) {
    SetRect(bounds);
    if (!bounds.IsEmpty()) form_ = Form::Ellipse;
}

Region Region::Ellipse(const Rect& bounds) {
    Region g;
    if (bounds.IsEmpty()) return g;
    g.form_ = Form::Ellipse;
    g.box_ = bounds;
    return g;
}

Region Region::Polygon(const Point* pts, int count) {
    Region g;
    if (count < 3) return g;
    // Each edge's crossing with a row of pixel centres, stepped from row to
    // row without division: the first pixel whose centre lies right of it.
    struct Edge {
        int64_t lo, hi;  // doubled y range [lo, hi)
        int64_t px, py, qx, qy;
        int dir;
        bool started;
        int64_t q, r;       // crossing pixel, and its remainder q * d - n
        int64_t d, sq, sr;  // divisor, and the per-row step as sq * d + sr
    };
    std::vector<Edge> edges;
    edges.reserve(static_cast<size_t>(count));
    int64_t ymin = pts[0].y, ymax = pts[0].y;
    for (int i = 0; i < count; ++i) {
        const Point& p = pts[i];
        const Point& q = pts[(i + 1) % count];
        ymin = std::min<int64_t>(ymin, p.y);
        ymax = std::max<int64_t>(ymax, p.y);
        if (p.y == q.y) continue;
        edges.push_back({2 * int64_t{std::min(p.y, q.y)}, 2 * int64_t{std::max(p.y, q.y)}, p.x, p.y, q.x, q.y,
                         q.y > p.y ? 1 : -1, false, 0, 0, 0, 0, 0});
    }
    struct Cross {
        int64_t x;
        int dir;
        bool exact;  // the edge passes through the pixel's centre
    };
    std::vector<Cross> cross(edges.size());
    Bands out;
    for (int64_t y = ymin; y < ymax; ++y) {
        const int64_t y2 = 2 * y + 1;  // the row's pixel centres, doubled
        size_t n = 0;
        for (Edge& e : edges) {
            if (y2 < e.lo || y2 >= e.hi) continue;
            if (!e.started) {
                // Doubled crossing X = 2 px + (y2 - 2 py) (qx - px) / (qy - py);
                // the pixel is the first with 2x + 1 >= X, that is
                // ceil((2 px den + num - den) / (2 den)).
                int64_t dx = e.qx - e.px;
                int64_t den = e.qy - e.py;
                if (den < 0) {
                    dx = -dx;
                    den = -den;
                }
                const int64_t numer = 2 * e.px * den + (y2 - 2 * e.py) * dx - den;
                e.d = 2 * den;
                e.q = CeilDiv(numer, e.d);
                e.r = e.q * e.d - numer;
                const int64_t step = 2 * dx;  // the numerator's growth per row
                e.sq = FloorDiv(step, e.d);
                e.sr = step - e.sq * e.d;
                e.started = true;
            } else {
                const int64_t diff = e.sr - e.r;
                e.q += e.sq;
                if (diff <= 0) {
                    e.r = -diff;
                } else {
                    e.q += 1;
                    e.r = e.d - diff;
                }
            }
            Cross c{e.q, e.dir, e.r == 0};
            size_t k = n++;
            while (k > 0 && cross[k - 1].x > c.x) {
                cross[k] = cross[k - 1];
                --k;
            }
            cross[k] = c;
        }
        const uint32_t first = static_cast<uint32_t>(out.spans.size());
        // The crossings at one pixel: those left of its centre, then those
        // through it. A centre on an edge is inside when the winding on
        // either side of it is not zero, so that the mirror image of a
        // polygon covers the mirror image of its pixels.
        int winding = 0;
        int64_t open = 0;
        bool inside = false;
        auto turn = [&](bool in, int64_t x) {
            if (in == inside) return;
            inside = in;
            if (in) {
                open = x;
            } else if (out.spans.size() > first && out.spans.back().right >= Clamp32(open)) {
                out.spans.back().right = Clamp32(x);
            } else {
                out.spans.push_back({Clamp32(open), Clamp32(x)});
            }
        };
        for (size_t k = 0; k < n;) {
            const int64_t x = cross[k].x;
            int left = winding, through = 0;
            for (; k < n && cross[k].x == x; ++k) (cross[k].exact ? through : left) += cross[k].dir;
            winding = left + through;
            turn(left != 0 || winding != 0, x);
            turn(winding != 0, x + 1);
        }
        out.CloseBand(static_cast<int32_t>(y), static_cast<int32_t>(y + 1), first);
    }
    g.AdoptBands(std::move(out));
    return g;
}

bool Region::IsEmpty() const {
    for (const Region& p : pending_)
        if (!p.IsEmpty()) return false;
    switch (form_) {
        case Form::Rect: return box_.IsEmpty();
        case Form::Ellipse: return false;  // a bounding box of 1 x 1 or more holds a pixel
        case Form::Bands: return bands_.bands.empty();
    }
    return true;
}

void Region::ToBands(Bands& out) const {
    Flatten();
    out.Clear();
    switch (form_) {
        case Form::Rect:
            if (!box_.IsEmpty()) {
                out.spans.push_back({box_.left, box_.right});
                out.bands.push_back({box_.top, box_.bottom, 0, 1});
            }
            break;
        case Form::Ellipse:
            for (int32_t y = box_.top; y < box_.bottom; ++y) {
                int32_t l, r;
                if (!EllipseRow(box_, y, l, r)) continue;
                const uint32_t first = static_cast<uint32_t>(out.spans.size());
                out.spans.push_back({l, r});
                out.CloseBand(y, y + 1, first);
            }
            break;
        case Form::Bands: out = bands_; break;
    }
}

void Region::AdoptBands(Bands&& b) const {
    bands_ = std::move(b);
    if (bands_.bands.empty()) {
        form_ = Form::Rect;
        box_ = {};
        bands_.Clear();
        return;
    }
    if (bands_.bands.size() == 1 && bands_.bands[0].count == 1) {
        const Band& band = bands_.bands[0];
        const Span& s = bands_.spans[band.first];
        form_ = Form::Rect;
        box_ = {s.left, band.top, s.right, band.bottom};
        bands_.Clear();
        return;
    }
    form_ = Form::Bands;
    Rect box{std::numeric_limits<int32_t>::max(), bands_.bands.front().top,
             std::numeric_limits<int32_t>::min(), bands_.bands.back().bottom};
    for (const Band& band : bands_.bands) {
        box.left = std::min(box.left, bands_.spans[band.first].left);
        box.right = std::max(box.right, bands_.spans[band.first + band.count - 1].right);
    }
    box_ = box;
}

void Region::Unite(const Region& other) {
    if (&other == this || other.IsEmpty()) return;  // a region united with itself is itself
    if (pending_.empty() && form_ == Form::Rect && box_.IsEmpty()) {
        *this = other;
        return;
    }
    Region& base = pending_.emplace_back();
    base.form_ = other.form_;
    base.box_ = other.box_;
    base.bands_ = other.bands_;
    for (const Region& p : other.pending_) pending_.push_back(p);
    if (pending_.size() > 512) Flatten();  // keeps memory bounded
}

void Region::Subtract(const Region& other) {
    if (IsEmpty() || other.IsEmpty()) return;
    Flatten();
    Bands a, b, out;
    ToBands(a);
    other.ToBands(b);
    Combine(a, b, Op::Subtract, out);
    AdoptBands(std::move(out));
}

void Region::Offset(int32_t dx, int32_t dy) {
    for (Region& p : pending_) p.Offset(dx, dy);
    if (form_ == Form::Rect && box_.IsEmpty()) return;  // stays (0, 0, 0, 0)
    box_.left += dx;
    box_.right += dx;
    box_.top += dy;
    box_.bottom += dy;
    if (form_ != Form::Bands) return;
    for (Band& band : bands_.bands) {
        band.top += dy;
        band.bottom += dy;
    }
    for (Span& s : bands_.spans) {
        s.left += dx;
        s.right += dx;
    }
}

bool Region::Contains(int32_t x, int32_t y) const {
    if (pending_.size() > 8) Flatten();
    for (const Region& p : pending_)
        if (p.Contains(x, y)) return true;
    if (!box_.Contains(x, y)) return false;
    switch (form_) {
        case Form::Rect: return true;
        case Form::Ellipse: {
            int32_t l, r;
            return EllipseRow(box_, y, l, r) && x >= l && x < r;
        }
        case Form::Bands: {
            const auto& bs = bands_.bands;
            auto it = std::upper_bound(bs.begin(), bs.end(), y,
                                       [](int32_t v, const Band& b) { return v < b.bottom; });
            if (it == bs.end() || it->top > y) return false;
            const Span* s = &bands_.spans[it->first];
            const Span* e = s + it->count;
            auto sp = std::upper_bound(s, e, x, [](int32_t v, const Span& sp) { return v < sp.right; });
            return sp != e && sp->left <= x;
        }
    }
    return false;
}

Rect Region::Box() const {
    Flatten();
    switch (form_) {
        case Form::Rect: return box_.IsEmpty() ? Rect{} : box_;
        case Form::Ellipse: {
            Bands b;
            ToBands(b);
            Region tmp;
            tmp.AdoptBands(std::move(b));
            return tmp.Box();
        }
        case Form::Bands: return box_;
    }
    return {};
}

std::vector<Rect> Region::Rects() const {
    Bands b;
    ToBands(b);
    std::vector<Rect> out;
    out.reserve(b.spans.size());
    for (const Band& band : b.bands) {
        for (uint32_t i = 0; i < band.count; ++i) {
            const Span& s = b.spans[band.first + i];
            out.push_back({s.left, band.top, s.right, band.bottom});
        }
    }
    return out;
}

bool operator==(const Region& a, const Region& b) {
    Bands ba, bb;
    a.ToBands(ba);
    b.ToBands(bb);
    if (ba.bands.size() != bb.bands.size()) return false;
    for (size_t i = 0; i < ba.bands.size(); ++i) {
        const auto& x = ba.bands[i];
        const auto& y = bb.bands[i];
        if (x.top != y.top || x.bottom != y.bottom || x.count != y.count) return false;
        if (!std::equal(ba.spans.begin() + x.first, ba.spans.begin() + x.first + x.count,
                        bb.spans.begin() + y.first))
            return false;
    }
    return true;
}

}  // namespace bw

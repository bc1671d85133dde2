#include "tests/editor_fuzz/checks.h"

#include <algorithm>
#include <initializer_list>
#include <set>
#include <span>
#include <unordered_map>
#include <utility>

#include "files/table_file.h"
#include "files/table_text.h"
#include "games/replay.h"

namespace bwfuzz {

namespace {

// Duplicate's copy goes 4 table pixels right and down (then on as Paste
// places); Mirror copy's x is 124 - x, about the playfield's centre column.
constexpr int32_t kDuplicateOffset = 4;
constexpr int32_t kMirrorCopyAxis = 124;

std::optional<Failure> Fail(std::string rule, std::string detail) { return Failure{std::move(rule), std::move(detail)}; }

bool Is(Op op, std::initializer_list<Op> ops) { return std::find(ops.begin(), ops.end(), op) != ops.end(); }

bool Shown(const std::vector<Said>& said, Said what) {
    return std::find(said.begin(), said.end(), what) != said.end();
}

// A table file as the checks compare it: a plain group's record carries a
// position that nothing reads (a group read back stands at 0, 0).
std::vector<uint8_t> Normalised(std::vector<uint8_t> bytes) {
    for (size_t r = bw::kHeaderBytes; r + bw::kRecordBytes <= bytes.size(); r += bw::kRecordBytes)
        if (bytes[r + 2] == bw::kGroup) bytes[r] = bytes[r + 1] = 0;
    return bytes;
}

// A table file read into a table and written again: what of it is a table.
std::vector<uint8_t> ReadBack(std::span<const uint8_t> bytes, int32_t* records = nullptr) {
    bw::Table t(bw::NoImageLoader{});
    bw::LoadTableBytes(*t.root, bytes);
    if (records) *records = bw::RecordsNeeded(*t.root);
    return Normalised(bw::TableFileBytes(*t.root));
}

// The items that show something, as a multiset.
std::vector<Shape> Visible(std::vector<Shape> items) {
    std::erase_if(items, [](const Shape& s) { return s.empty(); });
    return Sorted(std::move(items));
}

std::vector<Shape> Joined(std::vector<Shape> a, const std::vector<Shape>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return Visible(std::move(a));
}

std::vector<Shape> MovedAll(const std::vector<Shape>& shapes, bw::Point d) {
    std::vector<Shape> out;
    for (const Shape& s : shapes) out.push_back(Moved(s, d.x, d.y));
    return out;
}

// How far, all points together, the shapes stand outside where clicks place them.
int64_t Outside(const std::vector<Shape>& shapes) {
    int64_t far = 0;
    for (const Shape& s : shapes)
        for (const Atom& a : s) {
            auto add = [&](int32_t x, int32_t y) {
                const bw::Rect r = Driver::ClickArea(a.kind);
                far += std::max({r.left - x, x - (r.right - 1), 0}) + std::max({r.top - y, y - (r.bottom - 1), 0});
            };
            add(a.x1, a.y1);
            if (a.kind == bw::kBorderSegment) add(a.x2, a.y2);
        }
    return far;
}

bool Holds(const std::vector<Shape>& items, const Shape& s) { return std::find(items.begin(), items.end(), s) != items.end(); }

// The table-pixel box of a shape in window pixels: every table pixel it touches.
bw::Rect TableBox(const bw::Rect& w) { return {w.left >> 1, w.top >> 1, (w.right + 1) >> 1, (w.bottom + 1) >> 1}; }

bw::Rect UnionBox(const std::vector<bw::Rect>& boxes) {
    bw::Rect all = boxes.front();
    for (const bw::Rect& b : boxes)
        all = {std::min(all.left, b.left), std::min(all.top, b.top), std::max(all.right, b.right),
               std::max(all.bottom, b.bottom)};
    return all;
}

// Align: each box's side (or middle) to that of all of them.
std::vector<bw::Point> AlignMoves(Op op, const std::vector<bw::Rect>& boxes) {
    const bw::Rect all = UnionBox(boxes);
    std::vector<bw::Point> moves;
    for (const bw::Rect& b : boxes) {
        switch (op) {
            case Op::AlignLeft: moves.push_back({all.left - b.left, 0}); break;
            case Op::AlignCentre: moves.push_back({((all.left + all.right) - (b.left + b.right)) / 2, 0}); break;
            case Op::AlignRight: moves.push_back({all.right - b.right, 0}); break;
            case Op::AlignTop: moves.push_back({0, all.top - b.top}); break;
            case Op::AlignMiddle: moves.push_back({0, ((all.top + all.bottom) - (b.top + b.bottom)) / 2}); break;
            default: moves.push_back({0, all.bottom - b.bottom}); break;
        }
    }
    return moves;
}

// Distribute: by their middles, the outermost stay and the gaps between
// the boxes differ by a pixel at most.
std::vector<bw::Point> SpreadMoves(bool vertically, const std::vector<bw::Rect>& boxes) {
    struct Span {
        size_t piece;
        int32_t start, size;
    };
    std::vector<Span> spans;
    for (size_t i = 0; i < boxes.size(); ++i) {
        const bw::Rect& b = boxes[i];
        spans.push_back(vertically ? Span{i, b.top, b.bottom - b.top} : Span{i, b.left, b.right - b.left});
    }
    std::stable_sort(spans.begin(), spans.end(),
                     [](const Span& a, const Span& b) { return 2 * a.start + a.size < 2 * b.start + b.size; });
    const int32_t first = spans.front().start, last = spans.back().start + spans.back().size;
    int32_t sizes = 0;
    for (const Span& s : spans) sizes += s.size;
    const int64_t gaps = static_cast<int64_t>(spans.size()) - 1, room = last - first - sizes;
    std::vector<bw::Point> moves(boxes.size());
    int32_t at = first, used = 0;
    for (size_t k = 0; k < spans.size(); ++k) {
        const int32_t d = (k + 1 == spans.size() ? last - spans[k].size : at) - spans[k].start;
        moves[spans[k].piece] = vertically ? bw::Point{0, d} : bw::Point{d, 0};
        const auto gapEnd = static_cast<int32_t>(room * static_cast<int64_t>(k + 1) / gaps);
        at += spans[k].size + gapEnd - used;
        used = gapEnd;
    }
    return moves;
}

// The moves that would put one of `put` exactly on one of `items`.
std::set<std::pair<int32_t, int32_t>> StackingMoves(const std::vector<Shape>& put, const std::vector<Shape>& items) {
    std::set<std::pair<int32_t, int32_t>> moves;
    for (const Shape& p : put)
        for (const Shape& t : items) {
            if (p.empty() || t.size() != p.size()) continue;
            const bw::Point d{Corner({t}).x - Corner({p}).x, Corner({t}).y - Corner({p}).y};
            if (Moved(p, d.x, d.y) == t) moves.insert({d.x, d.y});
        }
    return moves;
}

// Whether a move in `range` puts none of `put` exactly on one of `items`.
bool FreeMoveExists(const MoveRange& range, const std::vector<Shape>& put, const std::vector<Shape>& items) {
    const bw::Rect& r = range.moves;
    if (r.IsEmpty()) return false;
    const auto stacking = StackingMoves(put, items);
    size_t inside = 0;
    for (const auto& [x, y] : stacking) inside += r.Contains(x, y) ? 1 : 0;
    return static_cast<int64_t>(r.right - r.left) * (r.bottom - r.top) > static_cast<int64_t>(inside);
}

// The records a piece takes as the editor counts them (a cannon two), or
// more: enough to say whether a refusal for the budget is sound.
bw::Point Even(const Action& a) { return {a.x & ~1, a.y & ~1}; }

std::string Bytes(const std::vector<uint8_t>& b) {
    bw::Table t(bw::NoImageLoader{});
    bw::LoadTableBytes(*t.root, b);
    std::string text = bw::TableToText(*t.root);
    text.erase(0, text.find('\n') + 1);
    for (char& c : text)
        if (c == '\n') c = ';';
    return text.empty() ? "an empty table" : text;
}

}  // namespace

Checker::Checker(Driver& d) : last_(Look(d)), steps_(d.HistorySteps()) {
    for (auto& step : steps_) step = Normalised(std::move(step));
}

Checker::Seen Checker::Look(Driver& d) const {
    Seen s;
    s.bytes = Normalised(bw::TableFileBytes(d.Table()));
    s.gesture = d.CurrentGesture();
    s.playing = d.Playing();
    s.playingBack = d.PlayingBack();
    s.history = d.History();
    s.history.current = Normalised(std::move(s.history.current));
    const std::vector<const bw::TablePiece*> selected = d.Selected();
    if (!selected.empty()) {
        std::unordered_map<const bw::TablePiece*, int32_t> index;
        int32_t i = 0;
        for (const bw::TablePiece* c = d.Table().FirstChild(); c; c = c->next.get()) index[c] = i++;
        for (const bw::TablePiece* p : selected) s.selected.push_back(index.contains(p) ? index[p] : -1);
    }
    return s;
}

// ---- before an action: what its command should leave ------------------------------------

void Checker::Before(const Action& a, Driver& d) {
    expected_ = {};
    expected_.action = a;
    if (Is(a.op, {Op::Press, Op::ShiftPress}) && last_.gesture == Gesture::None) drag_.others = Items(d.Table());
    if (last_.gesture != Gesture::None || last_.playing) return;
    if (Is(a.op, {Op::Duplicate, Op::MirrorCopy, Op::Paste})) return ExpectCopy(a, d);
    if (!d.PointerChosen() || d.Selected().empty()) return;
    if (Is(a.op, {Op::Mirror, Op::AlignLeft, Op::AlignCentre, Op::AlignRight, Op::AlignTop, Op::AlignMiddle,
                  Op::AlignBottom, Op::SpreadH, Op::SpreadV, Op::Left, Op::Right, Op::Up, Op::Down, Op::Delete,
                  Op::DeleteKey, Op::Cut, Op::Clear}))
        ExpectSelectionCommand(a, d);
}

void Checker::ExpectSelectionCommand(const Action& a, Driver& d) {
    Expected& e = expected_;
    e.before = Items(d.Table());
    std::vector<Shape> selected, places;
    std::vector<bw::Rect> boxes;
    for (const bw::TablePiece* p : d.Selected()) {
        selected.push_back(ShapeOf(*p));
        places.push_back(PlacesOf(*p));
        boxes.push_back(TableBox(p->region.Box()));
    }
    e.kept = Minus(e.before, selected);
    if (Is(a.op, {Op::Delete, Op::DeleteKey, Op::Cut, Op::Clear})) {
        e.kind = Expected::Remove;
        return;
    }
    e.kind = Expected::Move;
    std::vector<bw::Point> moves(selected.size());
    if (a.op == Op::Mirror) {
        const bw::Rect box = UnionBox(boxes);
        for (const Shape& s : selected) e.put.push_back(Mirrored(s, box.left + box.right));
        for (const Shape& s : places) e.putPlaces.push_back(Mirrored(s, box.left + box.right));
        return;
    }
    if (a.op == Op::Left || a.op == Op::Right || a.op == Op::Up || a.op == Op::Down) {
        e.outside = Outside(selected);
        std::fill(moves.begin(), moves.end(),
                  bw::Point{a.op == Op::Left ? -1 : a.op == Op::Right ? 1 : 0, a.op == Op::Up ? -1 : a.op == Op::Down ? 1 : 0});
    } else if ((a.op == Op::SpreadH || a.op == Op::SpreadV) && selected.size() >= 3)
        moves = SpreadMoves(a.op == Op::SpreadV, boxes);
    else if (a.op != Op::SpreadH && a.op != Op::SpreadV && selected.size() >= 2)
        moves = AlignMoves(a.op, boxes);
    for (size_t i = 0; i < selected.size(); ++i) {
        e.put.push_back(Moved(selected[i], moves[i].x, moves[i].y));
        e.putPlaces.push_back(Moved(places[i], moves[i].x, moves[i].y));
    }
}

void Checker::ExpectCopy(const Action& a, Driver& d) {
    Expected& e = expected_;
    if (a.op == Op::Paste) {
        // A clipboard too large to read cheaply has no oracle: the memory
        // check watches it.
        const std::optional<std::string>& text = d.Clipboard();
        if (!text || text->size() > (64u << 10)) return;
        if (*text != clipText_) {
            // The same text is pasted again and again: read once.
            bw::Table t(bw::NoImageLoader{});
            std::string error;
            clipText_ = *text;
            clipShapes_ = bw::TextToTable(*text, *t.root, error) ? std::optional(Visible(Items(*t.root))) : std::nullopt;
            clipPlaces_.clear();
            for (const bw::TablePiece* c = t.root->FirstChild(); c; c = c->next.get()) clipPlaces_.push_back(PlacesOf(*c));
            clipRecords_ = bw::RecordsNeeded(*t.root) - 1;
        }
        if (!clipShapes_) return;
        e.put = *clipShapes_;
        e.putPlaces = clipPlaces_;
        e.records = clipRecords_;
        e.placedLikePaste = true;
        e.before = Items(d.Table());
    } else {
        if (!d.PointerChosen()) return;
        e.before = Items(d.Table());
        const bool dup = a.op == Op::Duplicate;
        auto image = [&](const Shape& s) {
            return dup ? Moved(s, kDuplicateOffset, kDuplicateOffset) : Mirrored(s, kMirrorCopyAxis);
        };
        // The copies' records, as a table of their own would need them.
        bw::Table copies(bw::NoImageLoader{});
        for (const bw::TablePiece* p : d.Selected()) bw::AppendCopy(*p, *copies.root);
        e.records = bw::RecordsNeeded(*copies.root) - 1;
        for (const bw::TablePiece* p : d.Selected()) {
            const Shape s = image(ShapeOf(*p));
            // An image that would lie exactly on a piece, or on another
            // image, is not added: what is there already shows it.
            if (!dup && !s.empty() && (Holds(e.before, s) || Holds(e.put, s))) continue;
            e.put.push_back(s);
            e.putPlaces.push_back(image(PlacesOf(*p)));
        }
        e.placedLikePaste = dup;
    }
    if (e.put.empty()) return;
    e.kind = Expected::Copy;
    e.kept = e.before;
}

// ---- after it ---------------------------------------------------------------------------

std::optional<Failure> Checker::After(const Action& a, Driver& d, size_t memory, const Rules& ignored) {
    const std::vector<Said> said = d.TakeMessages();
    const Seen now = Look(d);
    std::optional<Failure> f;
    auto check = [&](std::optional<Failure> found) {
        if (!f && found && !ignored.contains(found->rule) && !ignored.contains("*")) f = std::move(found);
    };
    if (memory > kActionMemoryLimit)
        check(Fail("memory", "the action took " + std::to_string(memory >> 20) + " MB at its peak"));
    check(Gestures(a, now, d));
    check(Steps(a, now, d));
    check(AtRest(now, d));
    check(Command(now, d, said));
    check(Dragging(a, now, d, said));
    check(Plays(now, d));
    if (a.op == Op::Paint) check(AsText(now, d));
    if (a.op == Op::Paint && !now.playing && d.Screen() != d.FullPaint()) {
        size_t differ = 0;
        for (size_t i = 0; i < d.Screen().size(); ++i) differ += d.Screen()[i] != d.FullPaint()[i] ? 1 : 0;
        check(Fail("screen", std::to_string(differ) + " pixels differ from a full repaint"));
    }
    last_ = now;
    return f;
}

std::optional<Failure> Checker::Gestures(const Action& a, const Seen& now, Driver& d) {
    const bool held = now.gesture == Gesture::Drag || now.gesture == Gesture::Band;
    if (d.Captured() && !held) return Fail("capture", "the mouse stays captured with no drag or band under way");
    if (Is(a.op, {Op::Release, Op::Click, Op::ShiftClick, Op::DoubleClick}) && d.Active() && (held || d.Captured()))
        return Fail("capture", "a release reached the active window and left a drag or band under way");
    if (now.gesture != Gesture::None && !(now.history == last_.history))
        return Fail("step-during-gesture", "the history changed while a drag, band or border is still under way");
    return std::nullopt;
}

std::optional<Failure> Checker::Steps(const Action& a, const Seen& now, Driver& d) {
    const HistoryState& was = last_.history;
    const HistoryState& h = now.history;
    if (h == was) return std::nullopt;
    std::vector<std::vector<uint8_t>> fresh;  // the steps recorded now
    const bool restarts = Is(a.op, {Op::New, Op::Open, Op::OpenBytes, Op::OpenReplay, Op::OpenReplayText});
    if (a.op == Op::Undo && h.size == was.size && h.position + 1 == was.position) {
        if (h.current != steps_[h.position]) return Fail("history", "Undo gave " + Bytes(h.current) + ", not the step recorded: " + Bytes(steps_[h.position]));
    } else if (a.op == Op::Redo && h.size == was.size && h.position == was.position + 1) {
        if (h.current != steps_[h.position]) return Fail("history", "Redo gave " + Bytes(h.current) + ", not the step recorded: " + Bytes(steps_[h.position]));
    } else if (restarts && h.size == 1) {
        steps_ = {h.current};
    } else if (h.size == h.position + 1 && h.position >= 1 && h.position <= was.position + 1) {
        // A step recorded (after what could have been redone), a run's step
        // replaced, or a run that came back where it began taken away.
        if (h.position < was.position && h.current != steps_[h.position])
            return Fail("history", "a run of nudges went back to " + Bytes(h.current) + ", which is no step");
        steps_.resize(h.position);
        steps_.push_back(h.current);
        if (h.position >= was.position) fresh.push_back(h.current);
    } else {
        // More than one step in one action: read them all.
        std::vector<std::vector<uint8_t>> all = d.HistorySteps();
        for (auto& step : all) step = Normalised(std::move(step));
        const size_t kept = std::min({was.position + 1, all.size(), steps_.size()});
        for (size_t i = 0; i < kept && !restarts; ++i)
            if (all[i] != steps_[i]) return Fail("history", "step " + std::to_string(i) + " changed from " + Bytes(steps_[i]) + " to " + Bytes(all[i]));
        fresh.assign(all.begin() + static_cast<std::ptrdiff_t>(std::min(kept, all.size())), all.end());
        steps_ = std::move(all);
    }
    for (const std::vector<uint8_t>& step : fresh) {
        // The table as it stands: its round trip checks it.
        if (step == now.bytes && now.gesture == Gesture::None) continue;
        int32_t records = 0;
        if (ReadBack(step, &records) != step || records > bw::kMaxRecords)
            return Fail("history", "a step does not read back whole: " + Bytes(step));
    }
    if (h.position > 0 && h.position < steps_.size() && steps_[h.position] == steps_[h.position - 1] &&
        !fresh.empty())
        return Fail("history", "a step that changes nothing: " + Bytes(h.current));
    return std::nullopt;
}

std::optional<Failure> Checker::WholeHistory(Driver& d) {
    if (last_.gesture != Gesture::None || last_.playing) return std::nullopt;
    std::vector<std::vector<uint8_t>> all = d.HistorySteps();
    for (auto& step : all) step = Normalised(std::move(step));
    if (all != steps_) return Fail("history", "the steps held are not those recorded");
    return std::nullopt;
}

std::optional<Failure> Checker::AtRest(const Seen& now, Driver& d) {
    if (now.gesture != Gesture::Drag)
        for (size_t i = 0; i < now.selected.size(); ++i) {
            if (now.selected[i] < 0) return Fail("selection", "a selected piece is not in the table");
            if (i > 0 && now.selected[i] <= now.selected[i - 1])
                return Fail("selection", "the selection is not in the table's order, or repeats a piece");
        }
    const int32_t records = bw::RecordsNeeded(d.Table());
    if (now.gesture == Gesture::Border && records - 1 > bw::kMaxRecords)
        return Fail("records", "the border being drawn takes the file past " + std::to_string(bw::kMaxRecords) + " records");
    if (now.gesture != Gesture::None || now.playing) return std::nullopt;
    if (now.bytes != now.history.current)
        return Fail("history", "the table " + Bytes(now.bytes) + " is not the step the history is at: " + Bytes(now.history.current));
    if (records > bw::kMaxRecords) return Fail("records", "the file takes " + std::to_string(records) + " records");
    if (d.RecordCount() < records)
        return Fail("count", "the editor counts " + std::to_string(d.RecordCount()) + " records, the file takes " +
                                 std::to_string(records));
    if (d.LastFile() != lastFile_) {
        lastFile_ = d.LastFile();
        lastFileTable_ = ReadBack(lastFile_);
    }
    if (d.Saved() && now.bytes != lastFileTable_)
        return Fail("saved", "marked saved, but the table " + Bytes(now.bytes) + " is not the file's " + Bytes(lastFileTable_));
    if (now.bytes == roundTripped_) return std::nullopt;
    bw::Table back(bw::NoImageLoader{});
    bw::LoadTableBytes(*back.root, now.bytes);
    if (Normalised(bw::TableFileBytes(*back.root)) != now.bytes || Visible(Items(*back.root)) != Visible(Items(d.Table())))
        return Fail("round-trip", "the table written and read back is " + Describe(Visible(Items(*back.root))) +
                                      ", the editor holds " + Describe(Visible(Items(d.Table()))));
    roundTripped_ = now.bytes;
    return std::nullopt;
}

std::optional<Failure> Checker::AsText(const Seen& now, Driver& d) {
    // Slower than the file's: where the window paints, which is often enough.
    if (now.gesture != Gesture::None || now.playing || now.bytes == textTripped_) return std::nullopt;
    std::string error;
    bw::Table text(bw::NoImageLoader{});
    if (!bw::TextToTable(bw::TableToText(d.Table()), *text.root, error) ||
        Normalised(bw::TableFileBytes(*text.root)) != now.bytes)
        return Fail("round-trip", "the table as text reads back as another table " + error);
    textTripped_ = now.bytes;
    return std::nullopt;
}

bool Checker::RefusalJustified(const std::vector<Said>& said, Driver& d) const {
    const Expected& e = expected_;
    if (Shown(said, Said::TooComplex) && (d.RecordCount() + e.records - 1 >= bw::kMaxRecords ||
                                         bw::RecordsNeeded(d.Table()) + e.records > bw::kMaxRecords))
        return true;
    // A moved segment that joined a piece that stays, or a segment that
    // joined a moved piece, needs a border of its own: two more records.
    if (e.kind == Expected::Move && Shown(said, Said::TooComplex) &&
        d.RecordCount() + 2 * (static_cast<int32_t>(e.put.size()) + 1) > bw::kMaxRecords)
        return true;
    if (e.kind == Expected::Move) return !ClickPlaceable(e.putPlaces);
    if (!e.placedLikePaste) {
        for (const Shape& s : e.put)
            if (Holds(e.before, s)) return true;
        return !ClickPlaceable(e.putPlaces);
    }
    return !FreeMoveExists(AllowedMoves(e.putPlaces), e.put, e.before);
}

std::optional<Failure> Checker::Command(const Seen& now, Driver& d, const std::vector<Said>& said) {
    const Expected& e = expected_;
    const Op op = e.action.op;
    if (op != Op::Paste && Shown(said, Said::PasteNotATable))
        return Fail("message", "a command that is no Paste was refused with Paste's message");
    if (e.kind == Expected::None) return std::nullopt;
    const std::vector<Shape> items = Items(d.Table());
    const bool changed = now.bytes != last_.bytes;
    if (e.kind == Expected::Remove) {
        if (changed && Visible(items) != Visible(e.kept))
            return Fail("unselected-moved", "Delete left " + Describe(Visible(items)) + ", not " + Describe(Visible(e.kept)));
        return std::nullopt;
    }
    if (!changed) {
        const bool nothingToDo = e.kind == Expected::Move && Joined(e.kept, e.put) == Visible(e.before);
        if (nothingToDo || RefusalJustified(said, d)) return std::nullopt;
        return Fail("refusal", "refused, though clicks could place " + Describe(e.put));
    }
    // Items that show nothing (an empty group) may go when the table is written and read back.
    if (!Within(Visible(e.kept), Visible(items)))
        return Fail("unselected-moved", "pieces it did not act on changed: " + Describe(Minus(Visible(e.kept), Visible(items))));
    const std::vector<Shape> put = Visible(Minus(items, e.kept));
    if (Visible(e.put).empty()) return std::nullopt;  // nothing shown to follow (a border's start alone)
    bw::Point move{};
    if (e.placedLikePaste) {
        const bw::Point a = Corner(put), b = Corner(e.put);
        move = {a.x - b.x, a.y - b.y};
    }
    if (put != Visible(MovedAll(e.put, move)))
        return Fail("transform", "it put down " + Describe(put) + ", not " + Describe(Visible(MovedAll(e.put, move))));
    // Pieces a file put where no click could may be nudged towards the
    // playfield, never further from it.
    const bool nearer = e.outside > 0 && Outside(put) <= e.outside;
    if (!ClickPlaceable(put) && !nearer) return Fail("placement", "it put pieces where no click could: " + Describe(put));
    if (e.kind != Expected::Copy) return std::nullopt;
    for (const Shape& s : put)
        if (Holds(e.before, s)) return Fail("stacked", "a copy lies exactly on a piece: " + Describe({s}));
    const MoveRange range = AllowedMoves(e.putPlaces);
    const bw::Point least = range.Least();
    if (e.placedLikePaste && !range.moves.IsEmpty() && !StackingMoves(e.put, e.before).contains({least.x, least.y}) &&
        (move.x != least.x || move.y != least.y))
        return Fail("paste-offset", "moved by (" + std::to_string(move.x) + "," + std::to_string(move.y) +
                                        "), though (" + std::to_string(least.x) + "," + std::to_string(least.y) +
                                        ") is the least move that the click rule needs");
    return std::nullopt;
}

std::optional<Failure> Checker::Dragging(const Action& a, const Seen& now, Driver& d, const std::vector<Said>& said) {
    Drag& g = drag_;
    auto selectedShapes = [&] {
        std::vector<Shape> shapes;
        for (const bw::TablePiece* p : d.Selected()) shapes.push_back(ShapeOf(*p));
        return shapes;
    };
    if (!g.on) {
        if (now.gesture != Gesture::Drag || last_.gesture != Gesture::None || !Is(a.op, {Op::Press, Op::ShiftPress}))
            return std::nullopt;
        g.on = true;
        g.start = selectedShapes();
        g.others = Minus(g.others, g.start);
        std::vector<Shape> places;
        for (const bw::TablePiece* p : d.Selected()) places.push_back(PlacesOf(*p));
        g.range = AllowedMoves(places);
        g.mouse = Even(a);
        g.asked = g.followed = g.moved = {};
        return std::nullopt;
    }
    if (now.gesture != Gesture::Drag) {
        g.on = false;
        if (!Is(a.op, {Op::Release, Op::Click, Op::ShiftClick, Op::DoubleClick}) || now.playing) return std::nullopt;
        // Refused as more than a file holds (a segment that joined a moved
        // piece needs a border of its own), the pieces go back.
        const bool refused = Shown(said, Said::TooComplex);
        // Each dragged item, and a segment after each, may need a border
        // of its own: two more records each at most.
        if (refused && d.RecordCount() + 2 * (static_cast<int32_t>(g.start.size()) + 1) <= bw::kMaxRecords)
            return Fail("drag", "a drop refused as too complex on a table of " + std::to_string(d.RecordCount()) + " records");
        const std::vector<Shape> dropped = Joined(g.others, MovedAll(g.start, refused ? bw::Point{} : g.moved));
        if (Visible(Items(d.Table())) != dropped)
            return Fail("drag", "dropped, the table holds " + Describe(Visible(Items(d.Table()))) + ", not " + Describe(dropped));
        return std::nullopt;
    }
    const std::vector<Shape> shapes = selectedShapes();
    const bw::Point c = Corner(shapes), s = Corner(g.start);
    const bw::Point moved{c.x - s.x, c.y - s.y};
    if (Sorted(shapes) != Sorted(MovedAll(g.start, moved)))
        return Fail("drag", "the dragged pieces changed their shapes: " + Describe(shapes));
    g.moved = moved;
    if (a.op != Op::Move || !d.Active()) return std::nullopt;
    if (Visible(g.start).empty()) return std::nullopt;  // nothing shown to follow the mouse (a border's start alone)
    const bw::Point p = Even(a), step{(p.x - g.mouse.x) / 2, (p.y - g.mouse.y) / 2};
    g.mouse = p;
    const bw::Rect& r = g.range.moves;
    if (!g.range.Holds({0, 0})) return std::nullopt;  // they stood where no click could put them
    g.asked = {g.asked.x + step.x, g.asked.y + step.y};
    g.followed = {std::clamp(g.followed.x + step.x, r.left, r.right - 1), std::clamp(g.followed.y + step.y, r.top, r.bottom - 1)};
    const bw::Point direct{std::clamp(g.asked.x, r.left, r.right - 1), std::clamp(g.asked.y, r.top, r.bottom - 1)};
    if ((moved.x != g.followed.x && moved.x != direct.x) || (moved.y != g.followed.y && moved.y != direct.y))
        return Fail("drag", "the pieces went (" + std::to_string(moved.x) + "," + std::to_string(moved.y) +
                                "), the mouse asked for (" + std::to_string(g.asked.x) + "," + std::to_string(g.asked.y) +
                                "): the rule lets them go to (" + std::to_string(g.followed.x) + "," +
                                std::to_string(g.followed.y) + ")");
    return std::nullopt;
}

std::optional<Failure> Checker::Plays(const Seen& now, Driver& d) {
    // A play begins (Open replay ends a play and begins the replay's).
    if (now.playing && (!last_.playing || now.playingBack != last_.playingBack)) tablePlayed_ = now.bytes;
    if (now.playing && now.bytes != tablePlayed_) return Fail("replay", "the table changed in play");
    if (!last_.playing || last_.playingBack || now.playing) return std::nullopt;
    const bw::Replay* replay = d.LastReplay();
    if (!replay) return Fail("replay", "a play ended and left no replay");
    const std::string text = bw::WriteReplay(*replay);
    bw::Replay again;
    std::string error;
    if (!bw::ReadReplay(text, again, error) || bw::WriteReplay(again) != text)
        return Fail("replay", "the replay does not read back as written: " + error);
    bw::Table table(bw::NoImageLoader{});
    bw::TextToTable(again.tableText, *table.root, error);
    if (Normalised(bw::TableFileBytes(*table.root)) != tablePlayed_)
        return Fail("replay", "the replay holds " + Bytes(bw::TableFileBytes(*table.root)) + ", the game was played on " + Bytes(tablePlayed_));
    bw::Table fresh(bw::NoImageLoader{});
    if (!bw::StartReplay(again, *fresh.root, error) || !bw::VerifyReplay(again, fresh.state, error))
        return Fail("replay", "the replay plays another game: " + error);
    return std::nullopt;
}

}  // namespace bwfuzz

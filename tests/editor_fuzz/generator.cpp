#include "tests/editor_fuzz/generator.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "tests/editor_fuzz/shapes.h"

namespace bwfuzz {

namespace {

// Tables and pieces that have hidden faults before: starting points that
// the walk then changes.
const char* const kFragments[] = {
    "obstacle10 20 30\nobstacle10 60 60\n",
    "obstacle10 20 30\nsegment 60 30\nobstacle10 80 10\n",
    "border 10 90, 30 90\nsegment 30 30\n",
    "border 82 85, 111 71, 111 98\n",
    "border 5 75, 5 5, 50 5\nborder 119 75, 119 5, 74 5\n",
    "obstacle10 62 40\nhole 62 60\nborder 40 50, 84 50\n",
    "cannon 60 90\n",
    "obstacle10 10 50\nobstacle10 30 50\n",
    "left-flipper 114 97\nright-flipper 10 97\ncannon 121 96\ncannon 3 3\n",
    "border 0 0, 124 0, 124 99, 0 99, 0 0\n",
    "polyline 20 20\nobstacle50 30 30\nsegment 40 20\nend\ngroup\nhole 70 70\nend\n",
};

// The classic example table, when the sources are at hand.
const std::string& Classic() {
    static const std::string text = [] {
#ifdef BW_SOURCE_DIR
        std::ifstream f(std::string(BW_SOURCE_DIR) + "/examples/classic.txt");
        return std::string{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
#else
        return std::string();
#endif
    }();
    return text;
}

const char* const kKinds[] = {"obstacle10", "obstacle50", "obstacle100", "hole", "left-flipper", "right-flipper", "cannon"};

bw::Point Window(int32_t x, int32_t y) { return {x * bw::kWindowScale, y * bw::kWindowScale}; }

}  // namespace

Action Generator::Next(const Driver& d) {
    if (!pending_.empty()) {
        Action a = std::move(pending_.front());
        pending_.pop_front();
        return a;
    }
    if (!d.Active() && c_.Percent(40)) return Action{Op::Active};
    // The window paints when it gets round to it: after any number of actions.
    if (c_.Percent(2)) return Action{Op::Paint};
    if (d.Playing()) return Playing(d);
    switch (d.CurrentGesture()) {
        case Gesture::Drag:
        case Gesture::Band: return Dragging(d);
        case Gesture::Border: return DrawingBorder(d);
        case Gesture::None: break;
    }
    return Resting(d);
}

Action Generator::Resting(const Driver& d) {
    if (lastArrow_ != Op::Paint && c_.Percent(60)) return Action{lastArrow_};
    lastArrow_ = Op::Paint;
    const uint32_t r = c_.Below(100);
    if (r < 7) return Action{Op::Tool, c_.Percent(40) ? kPointerNumber : c_.Percent(30) ? kBorderNumber : c_.Between(4, kPointerNumber)};
    if (r < 19) {
        mouse_ = c_.Percent(50) ? OnAPiece(d, c_.Percent(50)) : Somewhere(d);
        return At(c_.Percent(8) ? Op::ShiftPress : Op::Press, mouse_);
    }
    if (r < 29) return At(c_.Percent(75) ? Op::Click : c_.Percent(60) ? Op::ShiftClick : Op::DoubleClick, Somewhere(d));
    if (r < 31) return Action{Op::RightClick};
    if (r < 33) return At(Op::Move, Somewhere(d));
    if (r < 40) {
        const Op arrows[] = {Op::Left, Op::Right, Op::Up, Op::Down};
        lastArrow_ = arrows[c_.Below(4)];
        return Action{lastArrow_};
    }
    if (r < 42) return Action{c_.Percent(50) ? Op::Escape : Op::DeleteKey};
    if (r < 45) return Action{Op::SelectAll};
    return AnyCommand(d);
}

Action Generator::AnyCommand(const Driver& d) {
    const uint32_t r = c_.Below(1000);
    if (r < 100) return Action{Op::Undo};
    if (r < 150) return Action{Op::Redo};
    if (r < 180) return Action{Op::Cut};
    if (r < 240) return Action{Op::Copy};
    if (r < 280) return Action{Op::Paste};
    if (r < 305) {
        pending_.push_back(Action{Op::Paste});
        return Clip();
    }
    if (r < 335) return Action{Op::Delete};
    if (r < 380) return Answered(Action{Op::Clear}, false);
    if (r < 450) return Action{Op::Duplicate};
    if (r < 490) return Action{Op::Mirror};
    if (r < 540) return Action{Op::MirrorCopy};
    if (r < 610) return Action{static_cast<Op>(static_cast<int32_t>(Op::AlignLeft) + c_.Between(0, 5))};
    if (r < 655) return Action{c_.Percent(50) ? Op::SpreadH : Op::SpreadV};
    if (r < 680) return Answered(Action{Op::New}, true);
    if (r < 705) return Answered(OpenFile(), true);
    if (r < 720) {
        if (c_.Percent(50)) return Action{Op::Save};
        Action a{Op::SaveAs};
        a.name = "C:\\tables\\other.bwt";
        return a;
    }
    if (r < 760) return Action{Op::Start};
    if (r < 775) return Action{c_.Percent(60) ? Op::LiveOn : Op::LiveOff};
    if (r < 825) return Action{Op::Idle, c_.Percent(50) ? c_.Between(1, 40) : c_.Between(100, 2000)};
    if (r < 829) return Action{Op::Walk};
    if (r < 845) return Action{Op::Inactive};
    if (r < 860) return Action{Op::SaveReplay};
    if (r < 880) return Answered(OpenReplay(d), true);
    if (r < 900) return Action{Op::Tool, c_.Between(4, kPointerNumber)};
    if (r < 910) return Action{Op::Stop};
    return Action{Op::SelectAll};
}

Action Generator::Dragging(const Driver& d) {
    const uint32_t r = c_.Below(100);
    if (r < 60) {
        // Small steps, long ones, into a wall and past it, diagonally.
        const uint32_t how = c_.Below(10);
        if (how < 4) mouse_ = {mouse_.x + c_.Between(-8, 8), mouse_.y + c_.Between(-8, 8)};
        else if (how < 6) mouse_ = {mouse_.x + c_.Between(-60, 60), mouse_.y + c_.Between(-60, 60)};
        else if (how < 9) mouse_ = NearAWall();
        else mouse_ = Somewhere(d);
        return At(Op::Move, mouse_);
    }
    if (r < 78) return Action{Op::Release};
    if (r < 80) return Action{Op::Inactive};
    if (r < 83) {
        const Op arrows[] = {Op::Left, Op::Right, Op::Up, Op::Down, Op::Escape, Op::DeleteKey};
        return Action{arrows[c_.Below(6)]};
    }
    return AnyCommand(d);
}

Action Generator::DrawingBorder(const Driver& d) {
    const uint32_t r = c_.Below(100);
    if (r < 45) {
        // The next corner: near the last one, far off, or at a wall.
        const uint32_t how = c_.Below(10);
        if (how < 5) mouse_ = {mouse_.x + c_.Between(-30, 30), mouse_.y + c_.Between(-30, 30)};
        else if (how < 7) mouse_ = NearAWall();
        else mouse_ = Somewhere(d);
        return At(Op::Click, mouse_);
    }
    if (r < 62) return At(Op::Move, {mouse_.x + c_.Between(-40, 40), mouse_.y + c_.Between(-40, 40)});
    if (r < 67) return Action{Op::RightClick};
    if (r < 70) return At(Op::DoubleClick, mouse_);
    if (r < 75) return Action{Op::Undo};
    if (r < 80) return Action{Op::Start};
    return AnyCommand(d);
}

Action Generator::Playing(const Driver& d) {
    const uint32_t r = c_.Below(100);
    if (r < 35) return Action{Op::Tick, c_.Percent(80) ? c_.Between(1, 20) : c_.Between(20, 150)};
    if (r < 70) {
        const Op keys[] = {Op::KeyDownZ, Op::KeyUpZ, Op::KeyDownX, Op::KeyUpX, Op::KeyDownSpace, Op::KeyUpSpace};
        return Action{keys[c_.Below(6)]};
    }
    if (r < 78) return Action{Op::Stop};
    if (r < 81) return Action{Op::SaveReplay};
    if (r < 83) return Action{c_.Percent(50) ? Op::Inactive : Op::Active};
    return AnyCommand(d);
}

Action Generator::Answered(Action command, bool threeWay) {
    pending_.push_back(std::move(command));
    const uint32_t r = c_.Below(threeWay ? 3 : 2);
    return Action{r == 0 ? Op::Yes : r == 1 ? Op::No : Op::Cancel};
}

// ---- places ---------------------------------------------------------------------------------

bw::Point Generator::Somewhere(const Driver& d) {
    const uint32_t r = c_.Below(100);
    if (r < 35) return OnAPiece(d, false);
    if (r < 55) return NearAWall();
    if (r < 63) return {124 + c_.Between(-3, 3), c_.Between(0, 198)};  // the centre column
    return {c_.Between(0, 248), c_.Between(0, 198)};
}

bw::Point Generator::OnAPiece(const Driver& d, bool selected) {
    std::vector<const bw::TablePiece*> pieces;
    if (selected) pieces = d.Selected();
    else
        for (const bw::TablePiece* c = d.Table().FirstChild(); c; c = c->next.get()) pieces.push_back(c);
    const Shape s = pieces.empty() ? Shape{} : ShapeOf(*pieces[c_.Below(static_cast<uint32_t>(pieces.size()))]);
    if (s.empty()) return {c_.Between(0, 248), c_.Between(0, 198)};
    const Atom& a = s[c_.Below(static_cast<uint32_t>(s.size()))];
    const bool second = a.kind == bw::kBorderSegment && c_.Percent(50);
    const bw::Point p = Window(second ? a.x2 : a.x1, second ? a.y2 : a.y1);
    const int32_t jitter = c_.Percent(60) ? 0 : 6;
    return {p.x + c_.Between(-jitter, jitter), p.y + c_.Between(-jitter, jitter)};
}

bw::Point Generator::NearAWall() {
    // Just inside, on, or past an edge of the playfield (0..248 by 0..198).
    auto edge = [&](int32_t last) {
        const int32_t off = c_.Percent(70) ? c_.Between(0, 12) : c_.Between(13, 60);
        return c_.Percent(50) ? off * (c_.Percent(80) ? 1 : -1) : last - off * (c_.Percent(80) ? 1 : -1);
    };
    const uint32_t r = c_.Below(3);
    if (r == 0) return {edge(248), c_.Between(0, 198)};
    if (r == 1) return {c_.Between(0, 248), edge(198)};
    return {edge(248), edge(198)};
}

// ---- texts and files -------------------------------------------------------------------------

int32_t Generator::Coordinate(int32_t size) {
    const uint32_t r = c_.Below(100);
    if (r < 45) return c_.Between(0, size - 1);
    if (r < 63) return c_.Between(0, 6);
    if (r < 81) return c_.Between(size - 7, size - 1);
    if (r < 91) return size / 2 + c_.Between(-2, 2);
    if (r < 96) return c_.Percent(50) ? 0 : size - 1;
    return c_.Between(size, 255);
}

std::string Generator::PieceLine() {
    return std::string(kKinds[c_.Below(7)]) + " " + std::to_string(Coordinate(125)) + " " + std::to_string(Coordinate(100));
}

std::string Generator::BorderLine() {
    const uint32_t r = c_.Below(100);
    const int32_t corners = r < 75 ? c_.Between(2, 5) : r < 97 ? c_.Between(6, 12) : c_.Between(13, 60);
    std::string line = "border";
    int32_t x = Coordinate(125), y = Coordinate(100);
    for (int32_t i = 0; i < corners; ++i) {
        line += (i ? ", " : " ") + std::to_string(x) + " " + std::to_string(y);
        if (c_.Percent(50)) x = std::clamp(x + c_.Between(-20, 20), 0, 124), y = std::clamp(y + c_.Between(-20, 20), 0, 99);
        else x = Coordinate(125), y = Coordinate(100);
    }
    return line;
}

std::string Generator::TableText() {
    if (c_.Percent(15)) return kFragments[c_.Below(std::size(kFragments))];
    if (c_.Percent(4) && !Classic().empty()) return Classic();
    const uint32_t r = c_.Below(100);
    const int32_t lines = r < 60 ? c_.Between(0, 5) : r < 90 ? c_.Between(6, 15) : r < 98 ? c_.Between(16, 40) : c_.Between(41, 260);
    std::string text = c_.Percent(80) ? "# Bumpwright table\n" : "";
    for (int32_t i = 0; i < lines; ++i) {
        const uint32_t k = c_.Below(100);
        if (k < 60) text += PieceLine();
        else if (k < 75) text += BorderLine();
        else if (k < 90) text += "segment " + std::to_string(Coordinate(125)) + " " + std::to_string(Coordinate(100));
        else if (k < 95) text += kFragments[c_.Below(std::size(kFragments))];
        else text += "# a comment";
        text += "\n";
    }
    return text;
}

std::string Generator::Mutated(std::string text) {
    const int32_t edits = c_.Between(1, 4);
    const char alphabet[] = "0123456789 ,-\n\r#aeoubrdglny\t\xef\xbb\xbf\x01\xff";
    for (int32_t i = 0; i < edits; ++i) {
        const size_t at = text.empty() ? 0 : c_.Below(static_cast<uint32_t>(text.size() + 1));
        switch (c_.Below(6)) {
            case 0: text.erase(at, c_.Between(1, 8)); break;
            case 1: text.insert(at, 1, alphabet[c_.Below(sizeof alphabet - 1)]); break;
            case 2: text.insert(at, std::to_string(c_.Percent(50) ? c_.Between(125, 300) : c_.Between(-5, 999999))); break;
            case 3: text.insert(at, "\n" + PieceLine() + "\n"); break;
            case 4: text.insert(0, "\xef\xbb\xbf"); break;
            default:
                for (size_t p = text.find('\n'); p != std::string::npos; p = text.find('\n', p + 2)) text.insert(p, "\r");
                break;
        }
    }
    return text;
}

Action Generator::Clip() {
    Action a{Op::Clip};
    const uint32_t r = c_.Below(1000);
    if (r < 4) {
        // Huge: one long border line, very many lines, a long comment.
        const uint32_t how = c_.Below(3);
        const int64_t n = c_.Percent(50) ? c_.Between(2000, 20000) : c_.Between(100000, 500000);
        if (how == 0) a.parts = {{"border 1 1"}, {", 2 2, 3 3", n}, {"\n"}};
        else if (how == 1) a.parts = {{"obstacle10 10 10\n", n}};
        else a.parts = {{"obstacle10 10 10 # "}, {"x", n * 10}, {"\n"}};
        return a;
    }
    a.parts = {{c_.Percent(30) ? Mutated(TableText()) : TableText()}};
    return a;
}

Action Generator::OpenFile() {
    const std::string text = TableText();
    if (c_.Percent(75)) return Action(Op::Open, {{text}});
    // Odd bytes: the file of a table, cut, with bytes changed or added.
    bw::Table t(bw::NoImageLoader{});
    std::string error;
    bw::TextToTable(text, *t.root, error);
    std::vector<uint8_t> bytes = bw::TableFileBytes(*t.root);
    const int32_t edits = c_.Between(1, 5);
    for (int32_t i = 0; i < edits; ++i) {
        const size_t at = c_.Below(static_cast<uint32_t>(bytes.size() + 1));
        switch (c_.Below(5)) {
            case 0: bytes.resize(std::max<size_t>(at, c_.Percent(80) ? 3 : 0)); break;
            case 1:
                if (at >= 3 && at < bytes.size()) bytes[at] = static_cast<uint8_t>(c_.Below(256));
                break;
            case 2: {
                const auto pos = static_cast<std::ptrdiff_t>(std::min(std::max<size_t>(at, bw::kHeaderBytes), bytes.size()));
                const int32_t kind = c_.Percent(50) ? c_.Between(0, 2) : c_.Between(3, 20);
                bytes.insert(bytes.begin() + pos, {static_cast<uint8_t>(Coordinate(125)), static_cast<uint8_t>(Coordinate(100)),
                                                   static_cast<uint8_t>(kind)});
                break;
            }
            case 3:
                for (int32_t k = c_.Between(1, 300); k > 0; --k) bytes.push_back(static_cast<uint8_t>(c_.Below(256)));
                break;
            default: bytes.push_back(0); break;
        }
    }
    return Action(Op::OpenBytes, {{std::string(bytes.begin(), bytes.end())}});
}

Action Generator::OpenReplay(const Driver& d) {
    const std::string& file = d.ReplayFile();
    if (file.empty() || c_.Percent(60)) return Action{Op::OpenReplay};
    return Action(Op::OpenReplayText, {{Mutated(file)}});
}

}  // namespace bwfuzz

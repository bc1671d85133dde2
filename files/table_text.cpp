#include "files/table_text.h"

#include <charconv>
#include <vector>

namespace bw {

namespace {

struct KindName {
    PieceKind kind;
    const char* name;
};
constexpr KindName kNames[] = {
    {kObstacle10, "obstacle10"},      {kObstacle50, "obstacle50"},     {kObstacle100, "obstacle100"},
    {kHole, "hole"},                  {kLeftFlipper, "left-flipper"}, {kRightFlipper, "right-flipper"},
    {kCannon, "cannon"},              {kBorderSegment, "segment"},
};

const char* NameOf(PieceKind k) {
    for (const auto& n : kNames)
        if (n.kind == k) return n.name;
    return nullptr;
}

bool IsSimpleBorder(const PieceGroup& g) {
    const TablePiece* first = g.FirstChild();
    if (!first || first->kind != kBorderStart) return false;
    for (const TablePiece* c = first->next.get(); c; c = c->next.get())
        if (c->kind != kBorderSegment) return false;
    return true;
}

void WriteLevel(const PieceGroup& group, int depth, std::string& out, bool skipFirst) {
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    const TablePiece* c = group.FirstChild();
    if (skipFirst && c) c = c->next.get();
    for (; c; c = c->next.get()) {
        const PlacedPiece& p = Placed(*c);
        if (c->kind == kGroup) {
            const auto& g = static_cast<const PieceGroup&>(*c);
            const TablePiece* first = g.FirstChild();
            if (IsSimpleBorder(g)) {
                out += indent + "border";
                const char* sep = " ";
                for (const TablePiece* v = first; v; v = v->next.get()) {
                    out += sep + std::to_string(Placed(*v).x) + " " + std::to_string(Placed(*v).y);
                    sep = ", ";
                }
                out += "\n";
            } else if (first && first->kind == kBorderStart) {
                out += indent + "polyline " + std::to_string(Placed(*first).x) + " " +
                       std::to_string(Placed(*first).y) + "\n";
                WriteLevel(g, depth + 1, out, true);
                out += indent + "end\n";
            } else {
                out += indent + "group\n";
                WriteLevel(g, depth + 1, out, false);
                out += indent + "end\n";
            }
            continue;
        }
        if (const char* name = NameOf(c->kind))
            out += indent + name + " " + std::to_string(p.x) + " " + std::to_string(p.y) + "\n";
    }
}

// Splits a line into words; commas separate like spaces.
std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == ',' || line[i] == '\r')) ++i;
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != ',' && line[j] != '\r') ++j;
        if (j > i) words.push_back(line.substr(i, j - i));
        i = j;
    }
    return words;
}

bool Coordinate(std::string_view w, int32_t& v) {
    const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
    return ec == std::errc() && end == w.data() + w.size() && v >= 0 && v <= 255;
}

}  // namespace

std::string TableToText(const TableRoot& root) {
    std::string out = "# Bumpwright table\n";
    WriteLevel(root, 0, out, false);
    return out;
}

bool TextToTable(std::string_view text, TableRoot& root, std::string& error) {
    root.DeleteChildren();
    std::vector<PieceGroup*> open{&root};
    int lineNo = 0;
    size_t pos = 0;
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(lineNo) + ": " + what;
        root.DeleteChildren();
        root.HandleMessage(PieceMessage::RebuildRegion);
        return false;
    };
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        ++lineNo;
        if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        const auto words = Words(line);
        if (words.empty()) continue;
        const std::string_view head = words[0];
        PieceGroup* parent = open.back();
        if (head == "end") {
            if (words.size() != 1) return fail("'end' takes nothing after it");
            if (open.size() == 1) return fail("'end' without a group or polyline to close");
            open.pop_back();
            continue;
        }
        if (head == "group") {
            if (words.size() != 1) return fail("'group' takes nothing after it");
            if (open.size() > 200) return fail("groups nested too deeply");
            open.push_back(AsGroup(CreatePiece(parent, kGroup, 0, 0)));
            if (!open.back()) return fail("out of memory");
            continue;
        }
        if (head == "border" || head == "polyline") {
            const size_t numbers = words.size() - 1;
            if (numbers < 2 || numbers % 2 != 0 || (head == "polyline" && numbers != 2))
                return fail(head == "border" ? "'border' needs pairs of coordinates: X Y, X Y, ..."
                                             : "'polyline' needs one position: X Y");
            std::vector<int32_t> v(numbers);
            for (size_t i = 0; i < numbers; ++i)
                if (!Coordinate(words[i + 1], v[i]))
                    return fail("'" + std::string(words[i + 1]) + "' is not a coordinate from 0 to 255");
            if (open.size() > 200) return fail("groups nested too deeply");
            auto* g = AsGroup(CreatePiece(parent, kBorderStart, v[0], v[1]));
            if (!g) return fail("out of memory");
            for (size_t i = 2; i < numbers; i += 2) CreatePiece(g, kBorderSegment, v[i], v[i + 1]);
            if (head == "polyline") open.push_back(g);
            continue;
        }
        PieceKind kind = 0;
        for (const auto& n : kNames)
            if (head == n.name) kind = n.kind;
        if (kind == 0) return fail("unknown piece '" + std::string(head) + "'");
        int32_t x, y;
        if (words.size() != 3) return fail("'" + std::string(head) + "' needs a position: X Y");
        if (!Coordinate(words[1], x) || !Coordinate(words[2], y))
            return fail("the position must be two numbers from 0 to 255");
        if (kind == kBorderSegment && !parent->LastChild())
            return fail("a segment needs a piece before it to join");
        if (!CreatePiece(parent, kind, x, y)) return fail("out of memory");
    }
    if (open.size() > 1) {
        ++lineNo;
        return fail("missing 'end'");
    }
    root.HandleMessage(PieceMessage::RebuildRegion);
    return true;
}

}  // namespace bw

#include "files/table_text.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "files/table_file.h"

namespace bw {

namespace {

// Where the text reader starts a "segment" line: at the piece the line
// before it at the same level made (a border or a group is made at 0, 0),
// or nowhere at the start of a level, where it refuses the segment.
struct JoinPoint {
    bool any = false;
    int32_t x = 0, y = 0;
};

void WriteLevel(const PieceGroup& group, int depth, std::string& out, bool skipFirst);

std::string Position(int32_t x, int32_t y) { return std::to_string(x) + " " + std::to_string(y); }

// Writes `c` and moves `join` to where the reader then stands.
void WritePiece(const TablePiece& c, int depth, std::string& out, JoinPoint& join) {
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    const PlacedPiece& p = Placed(c);
    if (c.kind == kGroup) {
        const auto& g = static_cast<const PieceGroup&>(c);
        const TablePiece* first = g.FirstChild();
        if (IsBorder(g) && !IsPolyline(g)) {
            out += indent + "border";
            const char* sep = " ";
            for (const TablePiece* v = first; v; v = v->next.get()) {
                out += sep + Position(Placed(*v).x, Placed(*v).y);
                sep = ", ";
            }
            out += "\n";
        } else if (IsBorder(g)) {
            out += indent + "polyline " + Position(Placed(*first).x, Placed(*first).y) + "\n";
            WriteLevel(g, depth + 1, out, true);
            out += indent + "end\n";
        } else {
            out += indent + "group\n";
            WriteLevel(g, depth + 1, out, false);
            out += indent + "end\n";
        }
        join = {true, 0, 0};
        return;
    }
    if (const auto* s = dynamic_cast<const BorderSegment*>(&c);
        s && c.kind == kBorderSegment && (!join.any || join.x != s->x2 || join.y != s->y2)) {
        // Its start is not the piece before it (that one was removed or
        // moved, or there is none): a border of its own keeps it as it is.
        out += indent + "border " + Position(s->x2, s->y2) + ", " + Position(p.x, p.y) + "\n";
        join = {true, 0, 0};
        return;
    }
    if (const char* name = KindName(c.kind)) {
        out += indent + name + " " + Position(p.x, p.y) + "\n";
        join = {true, p.x, p.y};
    }
}

void WriteLevel(const PieceGroup& group, int depth, std::string& out, bool skipFirst) {
    const TablePiece* c = group.FirstChild();
    JoinPoint join;
    if (skipFirst && c) {
        join = {true, Placed(*c).x, Placed(*c).y};
        c = c->next.get();
    }
    for (; c; c = c->next.get()) WritePiece(*c, depth, out, join);
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

constexpr char kTextHeader[] = "# Bumpwright table\n";

}  // namespace

std::string TableToText(const TableRoot& root) {
    std::string out = kTextHeader;
    WriteLevel(root, 0, out, false);
    return out;
}

std::string PieceToText(const TablePiece& piece) {
    std::string out = kTextHeader;
    JoinPoint none;
    WritePiece(piece, 0, out, none);
    return out;
}

namespace {

// The playfield in table pixels, bounds included.
constexpr int32_t kFieldRight = kTableWidth - 1;
constexpr int32_t kFieldBottom = kTableHeight - 1;
constexpr int32_t kPasteStep = 5;  // table pixels between tries for a free spot

std::span<const uint8_t> RecordsOf(const std::vector<uint8_t>& file) {
    return std::span<const uint8_t>(file).subspan(std::min(file.size(), kHeaderBytes));
}

bool HasPosition(uint8_t kind) { return kind != kEndOfList && kind != kGroup; }

}  // namespace

PasteResult PreparePaste(std::string_view text, const TableRoot& table) {
    PasteResult result;
    Table scratch{NoImageLoader{}};
    if (!TextToTable(text, *scratch.root, result.error)) return result;
    std::vector<uint8_t> file = TableFileBytes(*scratch.root);
    const auto items = TopLevelItems(RecordsOf(file));
    if (items.empty()) {
        result.error = "there are no pieces in it";
        return result;
    }
    std::vector<uint8_t> records(RecordsOf(file).begin(), RecordsOf(file).end());
    int32_t minX = 255, minY = 255, maxX = 0, maxY = 0;
    for (size_t i = 0; i + kRecordBytes <= records.size(); i += kRecordBytes) {
        if (!HasPosition(records[i + 2])) continue;
        minX = std::min<int32_t>(minX, records[i]);
        maxX = std::max<int32_t>(maxX, records[i]);
        minY = std::min<int32_t>(minY, records[i + 1]);
        maxY = std::max<int32_t>(maxY, records[i + 1]);
    }
    if (maxX - minX > kFieldRight || maxY - minY > kFieldBottom) {
        result.error = "the pieces do not fit on the playfield together";
        return result;
    }
    // Kept inside the playfield.
    int32_t dx = std::min(0, kFieldRight - maxX), dy = std::min(0, kFieldBottom - maxY);
    minX += dx, maxX += dx, minY += dy, maxY += dy;

    // Moved a few pixels at a time while a pasted piece would lie exactly
    // where a piece of the table lies.
    struct Spot {
        int32_t x, y;
    };
    std::vector<Spot> taken;
    const std::vector<uint8_t> tableFile = TableFileBytes(table);
    for (const auto& item : TopLevelItems(RecordsOf(tableFile))) taken.push_back({item[0], item[1]});
    auto clashes = [&](int32_t ox, int32_t oy) {
        for (const auto& item : items)
            for (const Spot& t : taken)
                if (item[0] + dx + ox == t.x && item[1] + dy + oy == t.y) return true;
        return false;
    };
    auto inside = [&](int32_t ox, int32_t oy) {
        return minX + ox >= 0 && maxX + ox <= kFieldRight && minY + oy >= 0 && maxY + oy <= kFieldBottom;
    };
    int32_t ox = 0, oy = 0;
    if (clashes(0, 0)) {
        bool found = false;
        for (int32_t k = 1; k <= 2 * kFieldRight / kPasteStep && !found; ++k)
            for (const Spot d : {Spot{1, 1}, Spot{-1, -1}, Spot{1, -1}, Spot{-1, 1}}) {
                const int32_t tx = d.x * k * kPasteStep, ty = d.y * k * kPasteStep;
                if (inside(tx, ty) && !clashes(tx, ty)) {
                    ox = tx, oy = ty, found = true;
                    break;
                }
            }
    }
    dx += ox, dy += oy;
    for (size_t i = 0; i + kRecordBytes <= records.size(); i += kRecordBytes) {
        if (!HasPosition(records[i + 2])) continue;
        records[i] = static_cast<uint8_t>(records[i] + dx);
        records[i + 1] = static_cast<uint8_t>(records[i + 1] + dy);
        if (records[i + 2] == kCannon) ++result.countedRecords;
    }
    result.fileRecords = static_cast<int32_t>(records.size() / kRecordBytes) - 1;  // its terminator stays behind
    result.countedRecords += result.fileRecords;
    result.records = std::move(records);
    result.ok = true;
    return result;
}

bool NextLine(std::string_view text, size_t& pos, std::string_view& line) {
    if (pos >= text.size()) return false;
    size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    line = text.substr(pos, eol - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = eol + 1;
    return true;
}

bool TextToTable(std::string_view text, TableRoot& root, std::string& error) {
    root.DeleteChildren();
    std::vector<PieceGroup*> open{&root};
    // Far more than a table file holds; text from anywhere (the clipboard)
    // cannot make the reader build without end.
    constexpr size_t kMaxPieces = 4000;
    size_t pieces = 0;
    int lineNo = 0;
    size_t pos = 0;
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(lineNo) + ": " + what;
        root.DeleteChildren();
        root.HandleMessage(PieceMessage::RebuildRegion);
        return false;
    };
    std::string_view line;
    while (NextLine(text, pos, line)) {
        ++lineNo;
        if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        const auto words = Words(line);
        if (words.empty()) continue;
        const std::string_view head = words[0];
        PieceGroup* parent = open.back();
        if (head != "end" && (pieces += words.size() / 2 + 1) > kMaxPieces) return fail("too many pieces");
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
        const PieceKind kind = KindNamed(head);
        if (kind == kEndOfList) return fail("unknown piece '" + std::string(head) + "'");
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

#include "files/table_text.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "files/table_file.h"

namespace bw {

namespace {

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
        join = JoinAt(0, 0);
        return;
    }
    if (NeedsOwnBorder(c, join, {0, 0})) {
        const auto& s = static_cast<const BorderSegment&>(c);
        out += indent + "border " + Position(s.x2, s.y2) + ", " + Position(p.x, p.y) + "\n";
        join = JoinAt(0, 0);
        return;
    }
    if (const char* name = KindName(c.kind)) {
        out += indent + name + " " + Position(p.x, p.y) + "\n";
        join = JoinAt(p.x, p.y);
    }
}

void WriteLevel(const PieceGroup& group, int depth, std::string& out, bool skipFirst) {
    const TablePiece* c = group.FirstChild();
    JoinPoint join;
    if (skipFirst && c) {
        join = JoinAt(Placed(*c).x, Placed(*c).y);
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

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// What the reader makes of a text: a table, a line it refuses, or more
// pieces than it builds (the rest of the text is still read for its form).
enum class TextRead { Table, Refused, TooMany };

TextRead ReadText(std::string_view text, TableRoot& root, std::string& error, int32_t recordLimit) {
    root.DeleteChildren();
    if (text.substr(0, 3) == kByteOrderMark) text.remove_prefix(3);
    std::vector<PieceGroup*> open{&root};
    // The records the pieces read so far would take; past the limit no
    // more pieces are built, so that text from anywhere (the clipboard)
    // cannot make the reader build without end.
    int64_t records = 1;
    bool over = false;
    int lineNo = 0;
    size_t pos = 0;
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(lineNo) + ": " + what;
        root.DeleteChildren();
        root.HandleMessage(PieceMessage::RebuildRegion);
        return TextRead::Refused;
    };
    // Past the limit, groups are still opened and closed, on a stand-in.
    PieceGroup* const none = nullptr;
    std::string_view line;
    while (NextLine(text, pos, line)) {
        ++lineNo;
        if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        const auto words = Words(line);
        if (words.empty()) continue;
        const std::string_view head = words[0];
        PieceGroup* parent = open.back();
        if (!over && records > recordLimit) {
            over = true;
            root.DeleteChildren();
        }
        if (head == "end") {
            if (words.size() != 1) return fail(Quoted("end") + " takes nothing after it");
            if (open.size() == 1) return fail(Quoted("end") + " without a group or polyline to close");
            open.pop_back();
            ++records;
            continue;
        }
        if (head == "group") {
            if (words.size() != 1) return fail(Quoted("group") + " takes nothing after it");
            if (open.size() > 200) return fail("groups nested too deeply");
            PieceGroup* g = over ? none : AsGroup(CreatePiece(parent, kGroup, 0, 0));
            if (!over && !g) return fail("out of memory");
            open.push_back(g);
            continue;
        }
        if (head == "border" || head == "polyline") {
            const size_t numbers = words.size() - 1;
            if (head == "polyline" && numbers > 2)
                return fail(Quoted(head) + " has too many numbers: it takes one position, X Y");
            if (numbers < 2 || numbers % 2 != 0)
                return fail(head == "border" ? Quoted(head) + " needs pairs of coordinates: X Y, X Y, ..."
                                             : Quoted(head) + " needs one position: X Y");
            std::vector<int32_t> v(numbers);
            for (size_t i = 0; i < numbers; ++i)
                if (!Coordinate(words[i + 1], v[i]))
                    return fail(Quoted(words[i + 1]) + " is not a coordinate from 0 to 255");
            if (open.size() > 200) return fail("groups nested too deeply");
            records += static_cast<int64_t>(numbers / 2) + (head == "border" ? 1 : 0);
            // A line of its own past the limit builds nothing.
            if (!over && records > recordLimit) {
                over = true;
                root.DeleteChildren();
            }
            if (over) {
                if (head == "polyline") open.push_back(none);
                continue;
            }
            auto* g = AsGroup(CreatePiece(parent, kBorderStart, v[0], v[1]));
            if (!g) return fail("out of memory");
            for (size_t i = 2; i < numbers; i += 2) CreatePiece(g, kBorderSegment, v[i], v[i + 1]);
            if (head == "polyline") open.push_back(g);
            continue;
        }
        const PieceKind kind = KindNamed(head);
        if (kind == kEndOfList) return fail("unknown piece " + Quoted(head));
        int32_t x, y;
        if (words.size() > 3) return fail(Quoted(head) + " has too many numbers: it takes one position, X Y");
        if (words.size() != 3) return fail(Quoted(head) + " needs a position: X Y");
        if (!Coordinate(words[1], x)) return fail(Quoted(words[1]) + " is not a coordinate from 0 to 255");
        if (!Coordinate(words[2], y)) return fail(Quoted(words[2]) + " is not a coordinate from 0 to 255");
        ++records;
        if (over) continue;
        if (kind == kBorderSegment && !parent->LastChild())
            return fail("a segment needs a piece before it to join");
        if (!CreatePiece(parent, kind, x, y)) return fail("out of memory");
    }
    if (open.size() > 1) {
        ++lineNo;
        return fail(Quoted("end") + " is missing");
    }
    if (over || records > recordLimit) {
        root.DeleteChildren();
        root.HandleMessage(PieceMessage::RebuildRegion);
        error = "line " + std::to_string(lineNo) + ": too many pieces";
        return TextRead::TooMany;
    }
    root.HandleMessage(PieceMessage::RebuildRegion);
    return TextRead::Table;
}

// Far more than a table file holds: what the reader builds at most.
constexpr int32_t kMaxTextRecords = 8000;

}  // namespace

size_t Utf8Length(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;       // no overlong forms
        if (lead == 0xED) high = 0x9F;      // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;      // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (text.size() - at < length || byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    return length;
}

std::string Quoted(std::string_view text) {
    constexpr size_t kShown = 40;  // characters
    std::string out = "\"";
    size_t shown = 0, i = 0;
    while (i < text.size() && shown < kShown) {
        const size_t n = Utf8Length(text, i);
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (n == 0 || c < 0x20 || c == 0x7F) {
            out += '?';
            i += n == 0 ? 1 : n;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
        ++shown;
    }
    if (i < text.size()) out += "\xE2\x80\xA6";  // …
    return out + "\"";
}

PasteResult ReadPastedPieces(std::string_view text, TableRoot& into) {
    PasteResult result;
    if (text.size() > kMaxPasteBytes) {
        result.tooMany = true;
        return result;
    }
    // Text that would need more records than a table file holds cannot be
    // added to any table, however well-formed: it is read only for its form.
    const TextRead read = ReadText(text, into, result.error, kMaxRecords);
    if (read != TextRead::Table) {
        result.tooMany = read == TextRead::TooMany;
        return result;
    }
    if (!into.FirstChild()) {
        result.error = "there are no pieces in it";
        return result;
    }
    result.ok = true;
    return result;
}

bool NextLine(std::string_view text, size_t& pos, std::string_view& line) {
    if (pos >= text.size()) return false;
    size_t eol = text.find_first_of("\r\n", pos);
    if (eol == std::string_view::npos) eol = text.size();
    line = text.substr(pos, eol - pos);
    pos = eol + 1;
    if (eol < text.size() && text[eol] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    return true;
}

bool TextToTable(std::string_view text, TableRoot& root, std::string& error) {
    return ReadText(text, root, error, kMaxTextRecords) == TextRead::Table;
}

}  // namespace bw

#include "files/table_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace bw {

const char kNotATableMessage[] = "This is not a Bumpwright file";

namespace {

// A plain group (not a border polyline) has no record of its own in the
// format's grammar. One that holds pieces is written as a kind-2 record
// opening a nested list, which the reader accepts, so that its pieces come
// back in the same group instead of their terminator cutting the enclosing
// list short. A group without pieces writes nothing.
bool IsPlainGroup(const TablePiece& p) { return p.kind == kGroup && !IsBorder(p); }


// Where the writer puts its records: a buffer with room for what it holds,
// or nowhere, when they are only counted (nothing then stops the writer).
struct RecordSink {
    std::span<uint8_t> buffer;
    bool counting = false;

    int32_t Capacity() const {
        return counting ? std::numeric_limits<int32_t>::max() / 2
                        : static_cast<int32_t>(std::min<size_t>(buffer.size() / kRecordBytes, 1 << 20));
    }
    int32_t Stop() const { return counting ? std::numeric_limits<int32_t>::max() / 2 : kLevelStop; }
    void Put(int32_t index, int32_t x, int32_t y, int32_t kind) const {
        if (counting) return;
        uint8_t* r = buffer.data() + static_cast<size_t>(index) * kRecordBytes;
        r[0] = static_cast<uint8_t>(static_cast<uint32_t>(x) & 0xFF);
        r[1] = static_cast<uint8_t>(static_cast<uint32_t>(y) & 0xFF);
        r[2] = static_cast<uint8_t>(static_cast<uint32_t>(kind) & 0xFF);
    }
    // The room after the first `n` records, `records` of them.
    RecordSink After(int32_t n, int32_t records) const {
        if (counting) return *this;
        return {buffer.subspan(static_cast<size_t>(n) * kRecordBytes, static_cast<size_t>(records) * kRecordBytes)};
    }
};

int32_t WriteLevel(const PieceGroup& group, const PlacedPiece& root, const RecordSink& out) {
    const int32_t capacity = out.Capacity();
    if (capacity < 1) return 0;
    int32_t n = 0;
    JoinPoint join;
    // Room is kept for this level's terminator.
    for (const TablePiece* c = group.FirstChild(); c && n < out.Stop(); c = c->next.get()) {
        const PlacedPiece& p = Placed(*c);
        if (NeedsOwnBorder(*c, join, {root.x, root.y})) {
            if (n + 3 >= capacity) break;  // its three records, our terminator
            const auto& s = static_cast<const BorderSegment&>(*c);
            out.Put(n, s.x2 - root.x, s.y2 - root.y, kBorderStart);
            out.Put(n + 1, p.x - root.x, p.y - root.y, kBorderSegment);
            out.Put(n + 2, 0, 0, kEndOfList);
            n += 3;
            join = JoinAt(0, 0);
            continue;
        }
        if (c->kind != kGroup) {
            if (n + 1 >= capacity) break;
            out.Put(n, p.x - root.x, p.y - root.y, c->kind);
            ++n;
            join = JoinAt(p.x - root.x, p.y - root.y);
            continue;
        }
        const auto& sub = static_cast<const PieceGroup&>(*c);
        if (WritesNoRecords(*c)) continue;
        if (IsPlainGroup(*c)) {
            if (n + 2 >= capacity) break;  // its record, its terminator, ours
            // A group is read at (0,0) whatever its record says, and a
            // segment after it joins (0,0): written so, it reads back whole.
            out.Put(n, 0, 0, kGroup);
            ++n;
        }
        n += WriteLevel(sub, root, out.After(n, capacity - 1 - n));
        join = JoinAt(0, 0);
    }
    out.Put(n, 0, 0, kEndOfList);
    return n + 1;
}

const PlacedPiece& RootOf(const PieceGroup& group) {
    return group.state.root ? static_cast<const PlacedPiece&>(*group.state.root)
                            : static_cast<const PlacedPiece&>(group);
}

}  // namespace

JoinPoint JoinAt(int32_t x, int32_t y) {
    return {true, static_cast<uint8_t>(static_cast<uint32_t>(x) & 0xFF),
            static_cast<uint8_t>(static_cast<uint32_t>(y) & 0xFF)};
}

bool NeedsOwnBorder(const TablePiece& c, const JoinPoint& join, Point origin) {
    if (c.kind != kBorderSegment) return false;
    const auto* s = dynamic_cast<const BorderSegment*>(&c);
    if (!s) return false;
    const JoinPoint start = JoinAt(s->x2 - origin.x, s->y2 - origin.y);
    return !join.any || start.x != join.x || start.y != join.y;
}

bool WritesNoRecords(const TablePiece& piece) {
    if (piece.kind != kGroup) return false;
    // A segment after the group that joins the group's position, (0,0),
    // needs the group written to read back the same (one that starts
    // elsewhere is written as a border of its own).
    if (piece.next && piece.next->kind == kBorderSegment && !NeedsOwnBorder(*piece.next, JoinAt(0, 0), {0, 0}))
        return false;
    for (const TablePiece* c = static_cast<const PieceGroup&>(piece).FirstChild(); c; c = c->next.get())
        if (c->kind == kBorderStart || !WritesNoRecords(*c)) return false;
    return true;
}

int32_t WriteRecords(const PieceGroup& group, std::span<uint8_t> buffer) {
    return WriteLevel(group, RootOf(group), RecordSink{buffer});
}

int32_t RecordsNeeded(const PieceGroup& group) { return WriteLevel(group, RootOf(group), RecordSink{{}, true}); }

int32_t ReadRecords(PieceGroup& group, std::span<const uint8_t> records) {
    const size_t available = records.size() / kRecordBytes;
    auto kindAt = [&](size_t i) { return records[i * kRecordBytes + 2]; };
    if (available == 0 || kindAt(0) == 0) return 0;
    int32_t i = 0;
    for (;;) {
        if (i >= kMaxRecords || static_cast<size_t>(i) >= available) break;
        const uint8_t* r = records.data() + static_cast<size_t>(i) * kRecordBytes;
        const PieceKind kind = r[2];
        TablePiece* piece = CreatePiece(&group, kind, r[0], r[1]);
        if (kind == kBorderStart || kind == kGroup) {
            ++i;
            PieceGroup* sub = AsGroup(piece);
            if (!sub) break;  // no memory for the group: stop reading
            const size_t from = std::min(records.size(), static_cast<size_t>(i) * kRecordBytes);
            i += ReadRecords(*sub, records.subspan(from));
        }
        ++i;
        if (static_cast<size_t>(i) >= available || kindAt(static_cast<size_t>(i)) == 0) break;
    }
    return i;
}

namespace {

// Takes away the last piece of the tree (a group emptied by it goes too);
// false when there is none.
bool DropLastPiece(PieceGroup& group) {
    TablePiece* last = group.LastChild();
    if (!last) return false;
    PieceGroup* sub = last->kind == kGroup ? AsGroup(last) : nullptr;
    if (sub && DropLastPiece(*sub)) {
        const bool bare = !sub->FirstChild() || (sub->FirstChild()->kind == kBorderStart && !sub->FirstChild()->next);
        if (!bare) return true;
    }
    group.RemoveChild(last);
    return true;
}

}  // namespace

bool HasTableMagic(std::span<const uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 'B' && bytes[1] == 'W' && bytes[2] == 'T';
}

LoadResult LoadTableBytes(TableRoot& root, std::span<const uint8_t> bytes) {
    LoadResult result;
    if (bytes.size() > kMaxFileBytes) bytes = bytes.first(kMaxFileBytes);
    if (!HasTableMagic(bytes)) return result;
    result.accepted = true;
    root.DeleteChildren();
    const auto records = bytes.size() > kHeaderBytes ? bytes.subspan(kHeaderBytes) : std::span<const uint8_t>{};
    const int32_t consumed = ReadRecords(root, records);
    // A file cut off inside a list reads as a table whose lists still need
    // their ends: its last pieces go, until saving it would write no more
    // than a file holds.
    while (RecordsNeeded(root) > kMaxRecords && DropLastPiece(root)) result.trimmed = true;
    root.HandleMessage(PieceMessage::RebuildRegion);
    const size_t end = kHeaderBytes + (static_cast<size_t>(consumed) + 1) * kRecordBytes;
    result.wellFormed = end == bytes.size() && records[static_cast<size_t>(consumed) * kRecordBytes + 2] == 0;
    // A well-formed file counts its own records. Any other file counts what
    // the table now takes, which is what saving it would write.
    result.recordCount = result.wellFormed ? static_cast<int32_t>((bytes.size() - kHeaderBytes) / kRecordBytes)
                                           : RecordsNeeded(root);
    return result;
}

std::vector<uint8_t> TableFileBytes(const TableRoot& root) {
    const int32_t needed = RecordsNeeded(root);
    std::vector<uint8_t> bytes(kHeaderBytes + static_cast<size_t>(needed) * kRecordBytes, 0);
    bytes[0] = 'B';
    bytes[1] = 'W';
    bytes[2] = 'T';
    const int32_t written = WriteRecords(root, std::span<uint8_t>(bytes).subspan(kHeaderBytes));
    bytes.resize(kHeaderBytes + static_cast<size_t>(written) * kRecordBytes);
    return bytes;
}

SaveResult SaveTableBytes(const TableRoot& root) {
    SaveResult result;
    const int32_t needed = RecordsNeeded(root);
    if (needed > kMaxRecords) {
        const int32_t over = needed - kMaxRecords;
        result.error = "This table needs " + std::to_string(needed) + " records, but a table file holds at most " +
                       std::to_string(kMaxRecords) + ". Remove at least " + std::to_string(over) +
                       (over == 1 ? " piece or border corner" : " pieces or border corners") +
                       " and save again. Nothing was saved.";
        return result;
    }
    result.bytes.assign(kHeaderBytes + static_cast<size_t>(needed) * kRecordBytes, 0);
    result.bytes[0] = 'B';
    result.bytes[1] = 'W';
    result.bytes[2] = 'T';
    const int32_t written = WriteRecords(root, std::span<uint8_t>(result.bytes).subspan(kHeaderBytes));
    result.records = written;
    result.bytes.resize(kHeaderBytes + static_cast<size_t>(written) * kRecordBytes);
    result.ok = written == needed;
    if (!result.ok) {
        result.bytes.clear();
        result.error = "The table could not be written whole. Nothing was saved.";
    }
    return result;
}

bool ReadFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "Cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    out.resize(limit);
    const size_t got = std::fread(out.data(), 1, limit, f);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    out.resize(got);
    if (failed) {
        error = "Cannot read " + path;
        return false;
    }
    return true;
}

namespace {

// Moves a finished file over the target, which may be there already.
bool MoveOver(const std::string& from, const std::string& to, std::string& why) {
#ifdef _WIN32
    // rename() refuses a target that is there on Windows.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD code = GetLastError();
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                   sizeof text, nullptr);
    why = std::string(text, n);
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' ' || why.back() == '.'))
        why.pop_back();
    if (why.empty()) why = "system error " + std::to_string(code);
    return false;
#else
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    why = std::strerror(errno);
    return false;
#endif
}

}  // namespace

bool WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes, std::string& error) {
    // Written beside the target and moved over it only when complete, so
    // that a failure leaves any earlier file as it was.
    const std::string temp = path + ".part";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        error = "Cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool wrote = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!wrote || !closed) {
        error = "Cannot write " + path + ": " + std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
    if (std::string why; !MoveOver(temp, path, why)) {
        error = "Cannot write " + path + ": " + why;
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace bw

// The table file: an 8-byte header ("BWT", a zero, four reserved zeros) and
// 3-byte records (x, y, kind), one per placed piece and border vertex and
// one terminator (kind 0) per list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/table.h"

namespace bw {

constexpr size_t kHeaderBytes = 8;
constexpr size_t kRecordBytes = 3;
constexpr int32_t kMaxRecords = 250;   // what a file may hold, terminators included
constexpr size_t kMaxFileBytes = 758;  // header and 250 records: all the loader reads
constexpr int32_t kLevelStop = 252;    // the writer's stop at one nesting level

// The segment join: a segment record's second end is where the reader
// stands, the position of the piece the list's previous record made (a group
// is made at 0, 0), or nowhere at the start of a list, where it builds no
// segment at all. Positions as records hold them, relative to the root.
struct JoinPoint {
    bool any = false;
    uint8_t x = 0, y = 0;
};
JoinPoint JoinAt(int32_t x, int32_t y);
// True for a segment whose second end is not where the reader would put it
// (the piece it joined was removed or moved, or it never had one): both
// writers write it as a border of its own, its start point at that end, so
// that it comes back as it is shown.
bool NeedsOwnBorder(const TablePiece& piece, const JoinPoint& join, Point origin);

// Writes the records of `group`'s children (nested lists included) and a
// terminator into `buffer`; returns the number of records written. Never
// writes past the buffer: pieces that do not fit are left out, and the
// terminator always has room when the buffer holds at least one record.
int32_t WriteRecords(const PieceGroup& group, std::span<uint8_t> buffer);

// Creates the pieces that `records` describe in `group`; returns the number
// of records consumed at this level (its terminator not included). Reading
// stops where the bytes end.
int32_t ReadRecords(PieceGroup& group, std::span<const uint8_t> records);

// True for a group that holds no piece at any depth: it writes no record
// (not even an opening one), so it is not in the file. (Unless a segment
// follows it: the segment joins it, so it is written to keep the segment.)
bool WritesNoRecords(const TablePiece& piece);

// The records WriteRecords produces for the whole table, terminators
// included, when nothing stops it.
int32_t RecordsNeeded(const PieceGroup& group);

// The table file's bytes for the whole table, however many records it
// takes (the save command's limit is not applied).
std::vector<uint8_t> TableFileBytes(const TableRoot& root);

bool HasTableMagic(std::span<const uint8_t> bytes);

struct LoadResult {
    bool accepted = false;    // false: not a table file, the table is unchanged
    bool wellFormed = false;  // a header, then lists ending exactly with the bytes
    int32_t recordCount = 1;  // the record budget the editor takes from the file
    bool trimmed = false;     // cut off inside a list: its last pieces were left out, so that it fits a file
};

// The loading sequence on the bytes of a file: checks the magic, then
// replaces the table's pieces with the records and rebuilds the regions.
// Only the first 758 bytes are looked at.
LoadResult LoadTableBytes(TableRoot& root, std::span<const uint8_t> bytes);

struct SaveResult {
    bool ok = false;
    int32_t records = 0;          // records written, terminator included
    std::vector<uint8_t> bytes;   // the whole file when ok
    std::string error;            // what to do about it when not ok
};

// The bytes the save command writes for the table. A table that needs more
// records than a file can hold is refused (nothing is produced) rather than
// written cut short.
SaveResult SaveTableBytes(const TableRoot& root);

// Reads a whole file (at most `limit` bytes) / writes one. On failure they
// return false and put a message naming the file in `error`.
bool ReadFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>& out, std::string& error);
bool WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes, std::string& error);

extern const char kNotATableMessage[];  // "This is not a Bumpwright file"

}  // namespace bw

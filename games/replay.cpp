#include "games/replay.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "files/table_file.h"
#include "files/table_text.h"
#include "model/soft_surface.h"

namespace bw {

namespace {

const char* KeyName(int32_t vk) { return vk == kKeyZ ? "Z" : vk == kKeyX ? "X" : "SPACE"; }

std::string Hex(uint64_t v) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
    return text;
}

bool ParseHex(std::string_view w, uint64_t& v) {
    if (w.size() != 16) return false;
    const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v, 16);
    return ec == std::errc() && end == w.data() + w.size();
}

template <class T>
bool ParseNumber(std::string_view w, T& v, T max) {
    if (w.empty() || w.find_first_not_of("0123456789") != std::string_view::npos) return false;
    const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
    return ec == std::errc() && end == w.data() + w.size() && v <= max;
}

// "line N: what" from the table text's own "line M: what", M counted from
// the line after "table".
std::string ShiftLine(const std::string& error, int offset) {
    int n = 0;
    const char* p = error.c_str();
    if (error.rfind("line ", 0) == 0) {
        const auto [end, ec] = std::from_chars(p + 5, p + error.size(), n);
        if (ec == std::errc()) return "line " + std::to_string(n + offset) + std::string(end);
    }
    return error;
}

constexpr std::string_view kEndLine = "end replay";

}  // namespace

uint64_t TableChecksum(const TableRoot& root) {
    uint64_t hash = 14695981039346656037ull;
    for (const uint8_t b : TableFileBytes(root)) {
        hash ^= b;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string WriteReplay(const Replay& r) {
    std::string s = "# Bumpwright replay\n";
    s += "ticks " + std::to_string(r.ticks) + "\n";
    s += "score " + std::to_string(r.score) + "\n";
    s += "random " + std::to_string(r.randomState) + "\n";
    s += "checksum " + Hex(r.checksum) + "\n";
    for (size_t i = 0; i < r.checks.size(); ++i)
        s += "check " + std::to_string((static_cast<int64_t>(i) + 1) * kReplayCheckEvery) + " " + Hex(r.checks[i]) + "\n";
    std::string line;
    for (size_t i = 0; i < r.events.size(); ++i) {
        const KeyEvent& e = r.events[i];
        if (!line.empty()) line += ',';
        line += std::to_string(e.tick);
        line += e.down ? ":+" : ":-";
        line += KeyName(e.virtualKey);
        if (line.size() > 100 || i + 1 == r.events.size()) {
            s += "keys " + line + "\n";
            line.clear();
        }
    }
    // What proves the table whole: its checksum before it, a last line after it.
    Table table(BuiltinImageLoader{});
    std::string why;
    TextToTable(r.tableText, *table.root, why);
    s += "table-checksum " + Hex(TableChecksum(*table.root)) + "\n";
    s += "table\n" + r.tableText;
    if (!r.tableText.empty() && r.tableText.back() != '\n') s += "\n";
    s += std::string(kEndLine) + "\n";
    return s;
}

bool ReadReplay(std::string_view text, Replay& r, std::string& error) {
    r = Replay();
    if (text.size() > kMaxReplayBytes) {
        error = "line 1: the file is too large for a replay";
        return false;
    }
    bool seen[4] = {};  // ticks, score, checksum, table
    bool seenTableChecksum = false;
    uint64_t tableChecksum = 0;
    int lineNo = 0, tableLine = 0, tableChecksumLine = 0;
    size_t pos = 0;
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(lineNo) + ": " + what;
        return false;
    };
    std::string_view line;
    while (NextLine(text, pos, line)) {
        ++lineNo;
        if (lineNo == 1 && line != "# Bumpwright replay") return fail("not a Bumpwright replay (the first line must be \"# Bumpwright replay\")");
        if (line.empty() || line[0] == '#') continue;
        const size_t space = line.find(' ');
        const std::string_view head = line.substr(0, space);
        const std::string_view rest = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
        if (head == "table") {
            if (!rest.empty()) return fail("'table' takes nothing after it");
            if (!seenTableChecksum)
                return fail("no 'table-checksum' line before 'table' (the replay is incomplete, or was written "
                            "by an older version of Bumpwright: record the game again)");
            tableLine = lineNo;
            seen[3] = true;
            // The table runs up to the line "end replay", which no table text holds.
            const size_t start = std::min(pos, text.size());
            size_t lineStart = pos;
            bool ended = false;
            while (lineStart = pos, NextLine(text, pos, line)) {
                ++lineNo;
                if (line == kEndLine) {
                    ended = true;
                    break;
                }
            }
            if (!ended) {
                ++lineNo;
                return fail("the replay ends inside its table, without its last line '" + std::string(kEndLine) +
                            "' (the file is cut off)");
            }
            r.tableText = std::string(text.substr(start, lineStart - start));
            while (NextLine(text, pos, line)) {
                ++lineNo;
                if (!line.empty() && line[0] != '#')
                    return fail("nothing but comments may follow '" + std::string(kEndLine) + "'");
            }
            break;
        } else if (head == "table-checksum") {
            if (seenTableChecksum) return fail("a second 'table-checksum' line");
            if (!ParseHex(rest, tableChecksum)) return fail("'table-checksum' needs 16 hexadecimal digits");
            seenTableChecksum = true;
            tableChecksumLine = lineNo;
        } else if (head == "ticks") {
            if (seen[0]) return fail("a second 'ticks' line");
            if (!ParseNumber<int64_t>(rest, r.ticks, kMaxReplayTicks))
                return fail("'ticks' needs a number of ticks from 0 to " + std::to_string(kMaxReplayTicks));
            seen[0] = true;
        } else if (head == "score") {
            if (seen[1]) return fail("a second 'score' line");
            if (!ParseNumber<uint32_t>(rest, r.score, 0xFFFFFFFFu)) return fail("'score' needs a whole number");
            seen[1] = true;
        } else if (head == "random") {
            if (!ParseNumber<uint32_t>(rest, r.randomState, 0xFFFFFFFFu)) return fail("'random' needs a whole number");
        } else if (head == "checksum") {
            if (seen[2]) return fail("a second 'checksum' line");
            if (!ParseHex(rest, r.checksum)) return fail("'checksum' needs 16 hexadecimal digits");
            seen[2] = true;
        } else if (head == "check") {
            const size_t gap = rest.find(' ');
            int64_t tick = 0;
            uint64_t v = 0;
            if (gap == std::string_view::npos || !ParseNumber<int64_t>(rest.substr(0, gap), tick, kMaxReplayTicks) ||
                !ParseHex(rest.substr(gap + 1), v))
                return fail("'check' needs a tick and 16 hexadecimal digits");
            if (tick != (static_cast<int64_t>(r.checks.size()) + 1) * kReplayCheckEvery)
                return fail("expected the check after tick " +
                            std::to_string((static_cast<int64_t>(r.checks.size()) + 1) * kReplayCheckEvery));
            r.checks.push_back(v);
        } else if (head == "keys") {
            size_t at = 0;
            while (at <= rest.size()) {
                const size_t comma = std::min(rest.find(',', at), rest.size());
                std::vector<KeyEvent> one;
                std::string why;
                const std::string_view item = rest.substr(at, comma - at);
                if (item.empty() || !ParseKeyScript(item, one, why)) return fail(item.empty() ? "an empty key event" : why);
                if (!r.events.empty() && one[0].tick < r.events.back().tick)
                    return fail("key event '" + std::string(item) + "' is out of order (after tick " +
                                std::to_string(r.events.back().tick) + ")");
                r.events.push_back(one[0]);
                if (comma == rest.size()) break;
                at = comma + 1;
            }
        } else {
            return fail("unknown line '" + std::string(line.substr(0, 40)) + "'");
        }
    }
    if (lineNo == 0) return fail("the file is empty");
    static const char* const names[4] = {"ticks", "score", "checksum", "table"};
    for (int i = 0; i < 4; ++i)
        if (!seen[i]) {
            ++lineNo;
            return fail(std::string("missing '") + names[i] + "' (the replay is cut off or incomplete)");
        }
    if (!r.events.empty() && r.events.back().tick > r.ticks)
        return fail("a key event at tick " + std::to_string(r.events.back().tick) + " comes after the last tick, " +
                    std::to_string(r.ticks));
    if (static_cast<int64_t>(r.checks.size()) > r.ticks / kReplayCheckEvery)
        return fail("more checks than the " + std::to_string(r.ticks) + " ticks can have");
    // The table must load whole.
    Table probe(BuiltinImageLoader{});
    std::string why;
    if (!TextToTable(r.tableText, *probe.root, why)) {
        error = ShiftLine(why, tableLine) + " (in the replay's table)";
        return false;
    }
    // As a table file holds it: a replay's game is one the window can play.
    if (const int32_t records = RecordsNeeded(*probe.root); records > kMaxRecords) {
        error = "line " + std::to_string(tableLine) + ": the table needs " + std::to_string(records) +
                " records; a table file holds at most " + std::to_string(kMaxRecords);
        return false;
    }
    if (const uint64_t sum = TableChecksum(*probe.root); sum != tableChecksum) {
        error = "line " + std::to_string(tableChecksumLine) +
                ": the table is not the one the game was played on (its checksum is " + Hex(sum) + ", the file says " +
                Hex(tableChecksum) + ")";
        return false;
    }
    return true;
}

// ---- playing ---------------------------------------------------------------------

bool KeyPlayback::Tick(TableState& st, bool trackDirty) {
    const int64_t t = ++ticks_;
    st.repaint = trackDirty;
    while (next_ < events_.size() && events_[next_].tick < t) ++next_;
    while (next_ < events_.size() && events_[next_].tick == t) {
        SendKey(st, events_[next_].virtualKey, events_[next_].down);
        ++next_;
    }
    const bool drained = PlayTick(st, trackDirty);
    sum_.Add(st);
    if (t % kReplayCheckEvery == 0) checks_.push_back(sum_.Value());
    return drained;
}

void ReplayRecorder::Start(const TableRoot& root, const TableState& st) {
    replay_ = Replay();
    replay_.tableText = TableToText(root);
    replay_.randomState = st.randomState;
    sum_ = TraceChecksum();
    started_ = true;
}

void ReplayRecorder::Key(int32_t virtualKey, bool down) {
    if (!started_) return;
    replay_.events.push_back({replay_.ticks + 1, virtualKey, down});
}

void ReplayRecorder::Tick(const TableState& st) {
    if (!started_) return;
    ++replay_.ticks;
    sum_.Add(st);
    if (replay_.ticks % kReplayCheckEvery == 0) replay_.checks.push_back(sum_.Value());
}

Replay ReplayRecorder::Finish(const TableState& st) const {
    Replay r = replay_;
    // Key events after the last tick never reached the game.
    while (!r.events.empty() && r.events.back().tick > r.ticks) r.events.pop_back();
    r.score = static_cast<uint32_t>(st.score);
    r.checksum = sum_.Value();
    return r;
}

bool StartReplay(const Replay& replay, TableRoot& root, std::string& error) {
    if (!TextToTable(replay.tableText, root, error)) return false;
    StartGame(root.state);
    root.state.randomState = replay.randomState;
    return true;
}

bool VerifyReplay(const Replay& replay, TableState& st, std::string& message) {
    KeyPlayback play(replay.events);
    while (play.Ticks() < replay.ticks) play.Tick(st, false);
    const uint32_t score = static_cast<uint32_t>(st.score);
    if (play.Checksum() == replay.checksum && score == replay.score) {
        message = "replay matches: " + std::to_string(replay.ticks) + " ticks, score " + std::to_string(score) +
                  ", checksum " + Hex(play.Checksum());
        return true;
    }
    if (play.Checksum() == replay.checksum) {
        message = "replay differs: score " + std::to_string(score) + " (the file says " + std::to_string(replay.score) +
                  ") although the game went the same way";
        return false;
    }
    message = "replay differs: checksum " + Hex(play.Checksum()) + " (the file says " + Hex(replay.checksum) +
              "), score " + std::to_string(score) + " (the file says " + std::to_string(replay.score) + ")";
    for (size_t i = 0; i < replay.checks.size() && i < play.Checks().size(); ++i) {
        if (replay.checks[i] != play.Checks()[i]) {
            const int64_t first = static_cast<int64_t>(i) * kReplayCheckEvery + 1;
            message += "; the game first goes another way between ticks " + std::to_string(first) + " and " +
                       std::to_string(first + kReplayCheckEvery - 1);
            return false;
        }
    }
    if (!replay.checks.empty())
        message += "; the game first goes another way after tick " +
                   std::to_string(static_cast<int64_t>(replay.checks.size()) * kReplayCheckEvery);
    return false;
}

}  // namespace bw

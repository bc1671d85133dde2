// Whole games: a table, a key script, the last line and a checksum of the
// whole trace (bwtool simulate --checksum). The window's way of playing
// (tracking what to repaint) and the tool's must give the same game.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/table_file.h"
#include "model/soft_surface.h"
#include "physics/game.h"
#include "games/key_script.h"

namespace {

using namespace bw;

std::string Example(const std::string& name) { return std::string(BW_BINARY_DIR) + "/examples/" + name; }

std::string RunTool(const std::string& args) {
    std::string out;
    if (FILE* p = popen((std::string(BW_BWTOOL) + " " + args + " 2>&1").c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        pclose(p);
    }
    return out;
}

std::string ClassicKeys() {
    std::ifstream in(std::string(BW_SOURCE_DIR) + "/examples/classic.keys");
    std::stringstream ss;
    ss << in.rdbuf();
    return KeyScriptFromFileText(ss.str());
}

struct Replay {
    const char* table;
    std::string keys;
    int ticks;
    const char* checksum;
    const char* last;
};

// The first three were checked against traces reviewed tick by tick.
const Replay kReplays[] = {
    {"classic.bwt", ClassicKeys(), 4000, "b35ef09701d7f088", "score 3880"},
    {"full.bwt",
     "1:+SPACE,2:+SPACE,3:+SPACE,4:+SPACE,5:+SPACE,6:+SPACE,7:+SPACE,8:+SPACE,9:+SPACE,10:+SPACE,11:-SPACE,"
     "300:+Z,301:+X,320:-Z,321:-X,700:+SPACE,701:-SPACE",
     1500, "41bade35f4790e80", "score 260"},
    {"empty.bwt", "", 300, "d09902ccb12271e5", "score 0"},
};

TEST(Replay, ToolAndWindowPlayTheSameGames) {
    for (const Replay& r : kReplays) {
        SCOPED_TRACE(r.table);
        const std::string keys = r.keys.empty() ? "" : " --keys " + r.keys;
        EXPECT_EQ(RunTool("simulate " + Example(r.table) + " --ticks " + std::to_string(r.ticks) + keys +
                          " --checksum"),
                  std::string("checksum ") + r.checksum + "\n" + r.last + "\n");

        Table table{BuiltinImageLoader{}};
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(ReadFileBytes(Example(r.table), kMaxFileBytes, bytes, error)) << error;
        ASSERT_TRUE(LoadTableBytes(*table.root, bytes).accepted);
        std::vector<KeyEvent> events;
        ASSERT_TRUE(ParseKeyScript(r.keys, events, error)) << error;
        StartGame(table.state);
        TraceChecksum sum;
        size_t next = 0;
        for (int64_t tick = 1; tick <= r.ticks; ++tick) {
            for (; next < events.size() && events[next].tick == tick; ++next)
                SendKey(table.state, events[next].virtualKey, events[next].down);
            PlayTick(table.state, true);
            table.root->dirtyRegion.SetEmpty();
            sum.Add(table.state);
        }
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016" PRIx64, sum.Value());
        EXPECT_STREQ(hex, r.checksum);
    }
}

// A shot's speed is 48 per step of power: 3 steps give -144. Keys apply
// before their tick in the order given: a key message after SPACE's release
// loses the shot; one before it, while SPACE is down, adds a fifth step.
TEST(Replay, KeysBeforeATickApplyInTheirOrder) {
    const std::string simulate = "simulate " + Example("classic.bwt") + " --trace --ticks ";
    EXPECT_NE(RunTool(simulate + "3 --keys 1:+SPACE,2:+SPACE,2:+SPACE,3:-SPACE").find("\n3 12800 9248 0 -144 0\n"),
              std::string::npos);
    const std::string charge = "1:+SPACE,2:+SPACE,3:+SPACE,4:+SPACE,";
    EXPECT_NE(RunTool(simulate + "5 --keys " + charge + "5:+Z,5:-SPACE").find("\n5 12800 9248 0 -240 0\n"),
              std::string::npos);
    EXPECT_NE(RunTool(simulate + "5 --keys " + charge + "5:-SPACE,5:+Z").find("\n5 12800 9248 0 0 0\n"),
              std::string::npos);
}

}  // namespace

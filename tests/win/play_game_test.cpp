// The window plays a table exactly as the headless game does: the key and
// timer messages of a user's game, given to the real window, move the ball
// and grow the score tick for tick as `bwtool simulate` prints them.
//
// bwtool is the native build's (build/native/bwtool, beside this source
// tree); it is a program of the host, run through the host's shell.
#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "physics/key_script.h"
#include "res/resource.h"
#include "tests/win/play_support.h"

namespace {

using test::Window;

const std::string kSourceDir = BW_SOURCE_DIR_WIN;  // "Z:" and the host path

// The host's name for a file of this side.
std::string HostPath(const std::string& path) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto convert = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return {};
    const std::wstring wide(path.begin(), path.end());
    char* name = convert(wide.c_str());
    if (!name) return {};
    std::string out(name);
    HeapFree(GetProcessHeap(), 0, name);
    return out;
}

std::string Quoted(const std::string& hostPath) { return "'" + hostPath + "'"; }

// Runs bwtool with `arguments` and returns what it printed; an empty
// string and `error` when it could not be run or failed.
std::string RunBwtool(const test::TempFolder& folder, const std::string& arguments, std::string& error) {
    const std::string tool = kSourceDir + "/build/native/bwtool";
    if (GetFileAttributesA(tool.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = "the native bwtool is missing (" + tool +
                "): build it first with cmake -S . -B build/native -G Ninja && ninja -C build/native";
        return {};
    }
    const std::string out = HostPath(folder.File("out.txt"));
    const std::string err = HostPath(folder.File("err.txt"));
    const std::string status = HostPath(folder.File("status"));
    if (out.empty() || HostPath(tool).empty()) {
        error = "this Wine gives no host names for its files";
        return {};
    }
    // The shell writes the exit status last, under its final name only
    // once it is complete.
    std::string command = "Z:\\bin\\sh -c \"" + Quoted(HostPath(tool)) + " " + arguments + " > " + Quoted(out) +
                          " 2> " + Quoted(err) + "; echo $? > " + Quoted(status + ".part") + "; mv " +
                          Quoted(status + ".part") + " " + Quoted(status) + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        error = "the host's shell could not be started";
        return {};
    }
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    // A host process cannot be waited for from here: its status file says
    // when it has finished.
    const std::string statusFile = folder.File("status");
    for (int i = 0; i < 12000 && GetFileAttributesA(statusFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(10);
    const std::string code = test::ReadText(statusFile);
    if (code.empty()) {
        error = "bwtool did not finish: " + command;
        return {};
    }
    if (code != "0\n") {
        error = "bwtool failed (status " + code + "): " + test::ReadText(folder.File("err.txt"));
        return {};
    }
    return test::ReadText(folder.File("out.txt"));
}

struct TraceRow {
    long tick;
    long fx, fy, vx, vy;
    unsigned long score;
};

std::vector<TraceRow> ParseTrace(const std::string& text) {
    std::vector<TraceRow> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        TraceRow r{};
        std::istringstream fields(line);
        if (fields >> r.tick >> r.fx >> r.fy >> r.vx >> r.vy >> r.score) rows.push_back(r);
    }
    return rows;
}

std::string KeyScriptFile(const std::string& path) { return bw::KeyScriptFromFileText(test::ReadText(path)); }

// Plays the example table `name` in the window for `ticks` ticks with the
// key events `keys`, and compares every tick with bwtool's trace.
void ExpectTheWindowPlaysAsTheTool(const std::string& name, int ticks, const std::string& keys) {
    test::TempFolder folder;
    const std::string table = folder.File(name + ".bwt");
    test::WriteTableFile(table, test::ReadText(kSourceDir + "/examples/" + name + ".txt"));
    std::string error;
    const std::string trace = RunBwtool(folder,
                                        "simulate " + Quoted(HostPath(table)) + " --ticks " + std::to_string(ticks) +
                                            " --keys " + Quoted(keys) + " --trace",
                                        error);
    ASSERT_EQ(error, "");
    const std::vector<TraceRow> rows = ParseTrace(trace);
    ASSERT_EQ(rows.size(), static_cast<size_t>(ticks));
    std::vector<bw::KeyEvent> events;
    ASSERT_TRUE(bw::ParseKeyScript(keys, events, error)) << error;

    Window w;
    ASSERT_TRUE(w.dlg().LoadTable(table.c_str()));
    test::StartWithoutTimer(w);
    if (testing::Test::HasFatalFailure()) return;
    const bw::Ball& ball = *w.dlg().state.ball;
    std::set<UINT> held;
    size_t next = 0;
    unsigned long highest = 0;
    for (const TraceRow& row : rows) {
        for (; next < events.size() && events[next].tick == row.tick; ++next) {
            const UINT vk = static_cast<UINT>(events[next].virtualKey);
            const bool down = events[next].down;
            test::PostKey(w, vk, down, down && held.count(vk) > 0);
            if (down) held.insert(vk);
            else held.erase(vk);
        }
        test::Tick(w);
        const unsigned long score = static_cast<uint32_t>(w.dlg().state.score);
        const std::string label = w.ControlText(IDC_SCORE);
        if (ball.fx != row.fx || ball.fy != row.fy || ball.vx != row.vx || ball.vy != row.vy || score != row.score ||
            label != std::to_string(row.score)) {
            FAIL() << name << ", tick " << row.tick << ": the window has the ball at " << ball.fx << " " << ball.fy
                   << " moving " << ball.vx << " " << ball.vy << ", score " << score << " (label \"" << label
                   << "\"); bwtool has " << row.fx << " " << row.fy << " moving " << row.vx << " " << row.vy
                   << ", score " << row.score;
        }
        highest = std::max(highest, row.score);
    }
    EXPECT_EQ(w.dlg().mode, ui::EditMode::Playing);
    // The comparison covered a game in which something happened.
    EXPECT_GT(highest, 0ul);
}

TEST(PlayAsTheTool, TheClassicTableWithItsKeyScript) {
    const std::string keys = KeyScriptFile(kSourceDir + "/examples/classic.keys");
    ASSERT_NE(keys, "");
    ExpectTheWindowPlaysAsTheTool("classic", 4000, keys);
}

TEST(PlayAsTheTool, TheFullTableWithAServeAndSomeFlips) {
    std::string keys;
    for (int t = 1; t <= 10; ++t) keys += std::to_string(t) + ":+SPACE,";
    keys += "11:-SPACE,300:+Z,301:+X,320:-Z,321:-X,520:+X,532:-X,700:+SPACE,701:-SPACE,900:+Z,910:-Z";
    ExpectTheWindowPlaysAsTheTool("full", 1500, keys);
}

}  // namespace

// Checking as you edit: the check of Check table, played by a runner on a
// copy of the table as it stands, and dropped as soon as the table is
// another.
//
// Which table a check describes is decided by the table's file: a check
// plays the table whose file it was started on, and it is looked at only
// when the editor is idle. So an edit undone before then leaves it running,
// and every other change (an edit, Undo, Redo, Paste, Clear, New, Open, a
// replay opened, a copy restored) ends it.
#include "editor/live_check.h"

#include <string>

#include "editor/editor.h"
#include "model/path_text.h"

namespace bw {

// ---- the slices -----------------------------------------------------------------------

SliceRunner::SliceRunner() = default;
SliceRunner::~SliceRunner() = default;

void SliceRunner::Start(std::unique_ptr<Table> table, const PlaytestOptions& options, Done done) {
    Cancel();
    table_ = std::move(table);
    test_ = std::make_unique<Playtest>(*table_->root, options);
    done_ = std::move(done);
}

void SliceRunner::Cancel() {
    test_.reset();
    table_.reset();
    done_ = nullptr;
}

bool SliceRunner::RunSlice(int64_t ticks) {
    if (!test_) return false;
    if (!test_->Run(ticks)) return true;
    PlaytestReport report = test_->Report();
    Done done = std::move(done_);
    Cancel();
    if (done) done(std::move(report));
    return false;
}

int64_t SliceRunner::GamesDone() const { return test_ ? test_->GamesDone() : 0; }
int64_t SliceRunner::Games() const { return test_ ? test_->Games() : 0; }

std::unique_ptr<Table> CheckCopy(const TableRoot& root) {
    auto copy = std::make_unique<Table>(NoImageLoader{});
    CopyPieces(root, *copy->root);
    return copy;
}

// ---- the summary ---------------------------------------------------------------------------

std::string CheckSummary(const PlaytestReport& report, const EditorTexts& texts) {
    const size_t unreached = report.Unreached().size(), traps = report.traps.size();
    const bool endless = report.EndlessFinding();
    if (unreached == 0 && traps == 0 && !endless) return texts.checkClean;
    std::string counts;
    auto add = [&](const std::string& part) {
        if (!counts.empty()) counts += ", ";
        counts += part;
    };
    if (unreached > 0) add(FillArgument(texts.checkUnreached, std::to_string(unreached)));
    if (traps > 0) add(FillArgument(traps == 1 ? texts.checkTrap : texts.checkTraps, std::to_string(traps)));
    if (endless) add(texts.checkEndless);
    return FillArgument(texts.findingsHint, counts);
}

// ---- the editor's side -------------------------------------------------------------------------

void Editor::SetCheckAsYouEdit(bool on) {
    liveOn_ = on;
    if (on) return;  // the next idle moment starts the check
    checks_.Cancel();
    liveTable_.clear();
    // What it found goes from the playfield, so that the table shows
    // plainly; a Check table's findings stay, without the summary.
    if (liveFindings_) DropFindings();
    summary_.clear();
}

bool Editor::CheckWanted() const {
    return liveOn_ && mode() == EditMode::Editing && (checks_.Busy() || !FindingsCurrent());
}

void Editor::Idle() {
    if (!liveOn_) return;
    // Only while editing: not in play, nor halfway through a gesture,
    // where the table is not yet what it will be.
    const bool editing = mode() == EditMode::Editing;
    const std::vector<uint8_t> now = TableFileBytes(doc_.root());
    if (checks_.Busy() && (!editing || liveTable_ != now)) {
        checks_.Cancel();  // a check of another table
        liveTable_.clear();
    }
    if (!editing || checks_.Busy() || (findings_ && checkedTable_ == now)) return;
    DropFindings();
    liveTable_ = now;
    checks_.Start(CheckCopy(doc_.root()), checkOptions_, [this, now](PlaytestReport report) {
        liveTable_.clear();
        // Shown only while it still describes the table.
        if (mode() != EditMode::Editing || TableFileBytes(doc_.root()) != now) return;
        ShowFindings(std::move(report));
        liveFindings_ = true;
    });
}

}  // namespace bw

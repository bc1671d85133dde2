// Checking as you edit: the check of Check table, played in the window's
// idle time a slice at a time, on the table as it stands, and dropped as
// soon as the table is another.
//
// Which table a check describes is decided by the table's text: a check
// plays the table whose text it was started on, and its findings are shown
// only while the table's text is still that text. So an edit undone before
// the check is over leaves it running, and every other change (an edit,
// Undo, Redo, Paste, Clear, New, Open, a replay opened, a copy restored)
// ends it.
#include <string>

#include "editor/editor.h"
#include "files/table_text.h"

namespace bw {

namespace {

// `text` with its "%1" replaced by `value`.
std::string Filled(const std::string& text, const std::string& value) {
    std::string out = text;
    const size_t at = out.find("%1");
    if (at != std::string::npos) out.replace(at, 2, value);
    return out;
}

}  // namespace

std::string CheckSummary(const PlaytestReport& report, const EditorTexts& texts) {
    const size_t unreached = report.Unreached().size(), traps = report.traps.size();
    const bool endless = report.EndlessFinding();
    if (unreached == 0 && traps == 0 && !endless) return texts.checkClean;
    std::string counts;
    auto add = [&](const std::string& part) {
        if (!counts.empty()) counts += ", ";
        counts += part;
    };
    if (unreached > 0) add(Filled(texts.checkUnreached, std::to_string(unreached)));
    if (traps > 0) add(Filled(traps == 1 ? texts.checkTrap : texts.checkTraps, std::to_string(traps)));
    if (endless) add(texts.checkEndless);
    return Filled(texts.findingsHint, counts);
}

void Editor::SetCheckAsYouEdit(bool on) {
    checkAsYouEdit_ = on;
    if (on) return;  // the first idle slice starts the check
    liveTest_.reset();
    // The findings already shown still describe the table; their summary goes.
    if (!summary_.empty()) {
        summary_.clear();
        ShowStatus();
    }
}

bool Editor::FindingsCurrent() const { return findings_ && TableToText(*root) == checkedTable_; }

bool Editor::LiveCheckDue() const {
    // Only while editing: not in play, nor halfway through a drag or a
    // border, where the table is not yet what it will be.
    if (!checkAsYouEdit_ || mode != EditMode::Editing) return false;
    if (!liveTest_) return !FindingsCurrent();
    return true;
}

Editor::IdleStep Editor::LiveCheckStep(int64_t tickBudget) {
    if (!checkAsYouEdit_ || mode != EditMode::Editing) return {};
    if (FindingsCurrent()) {
        // Findings of the table as it stands (Check table's): nothing to do.
        liveTest_.reset();
        return {};
    }
    const std::string table = TableToText(*root);
    if (liveTest_ && liveTable_ != table) liveTest_.reset();  // a check of an older table
    if (!liveTest_) {
        DropFindings();
        liveTest_ = std::make_unique<Playtest>(*root, checkOptions);
        liveTable_ = table;
        return {true, 0};
    }
    if (!liveTest_->Done()) {
        const bool done = liveTest_->Run(tickBudget);
        return {true, done ? 0 : tickBudget};
    }
    PlaytestReport report = liveTest_->Report();
    liveTest_.reset();
    ShowFindings(std::move(report));
    return {};
}

}  // namespace bw

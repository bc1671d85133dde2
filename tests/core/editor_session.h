// The editor driven as the window drives it, without a window: the fuzzer's
// driver (a view that keeps a screen of its own, answers messages from a
// queue and holds a clipboard) and a script of user actions, in the
// fuzzer's action language, to play on it.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "files/table_text.h"
#include "tests/editor_fuzz/driver.h"

namespace bwtest {

using bwfuzz::ScreenView;

// An editor on a screen view. Run plays a script of actions separated by
// blanks, the short tokens of tests/editor_fuzz/script.h (tN a tool, cX,Y a
// click, pX,Y mX,Y u press, move, release, Z Y X C V D L the Edit commands,
// yes no the next answer, S E play, !NAME save...). After each action the
// window paints, as it would between messages.
struct Session {
    bwfuzz::Driver driver;
    ScreenView& view = driver.view;
    bw::Editor& editor = driver.editor;
    bw::SliceRunner& checks = driver.checks;

    static bw::EditorTexts Texts() { return bwfuzz::Driver::Texts(); }

    std::string Text() const { return bw::TableToText(editor.table()); }
    void Load(const std::string& text) {
        std::string error;
        bw::Table t(bw::BuiltinImageLoader{});
        bw::TextToTable(text, *t.root, error);
        editor.OpenTable("C:\\tables\\t.bwt", bw::TableFileBytes(*t.root));
        view.Paint();
    }

    void Run(const std::string& script) {
        std::istringstream in(script);
        std::string a;
        while (in >> a) {
            Act(a);
            view.Paint();
        }
    }

    void Act(const std::string& a) {
        if (const std::optional<bwfuzz::Action> action = bwfuzz::ParseToken(a)) driver.Do(*action);
        else ADD_FAILURE() << "unknown action " << a;
    }
};

}  // namespace bwtest

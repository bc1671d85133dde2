// The window tests' start: the common controls, and message boxes that no
// test expected turned into failures instead of windows that wait forever.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "win/message_box.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    win::SetMessageBoxAnswerer([](const win::MessageBoxRequest& r) {
        ADD_FAILURE() << "unexpected message box: " << r.text;
        return IDCANCEL;
    });
    return RUN_ALL_TESTS();
}

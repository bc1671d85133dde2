// The about box: the program's name, version and icon.
#pragma once

#include "res/resource.h"
#include "win/dialog.h"

namespace app {

class AboutDialog : public win::Dialog {
public:
    AboutDialog() : win::Dialog(IDD_ABOUTBOX) {}
};

}  // namespace app

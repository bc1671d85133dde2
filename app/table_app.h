// The application: starts the one main window with the file named on the
// command line and ends when that window closes.
#pragma once

#include <string>
#include <vector>

namespace app {

class TableApp {
public:
    // Runs the program; returns false, as the program ends once its
    // window has closed.
    bool InitInstance(const std::vector<std::string>& arguments);
};

}  // namespace app

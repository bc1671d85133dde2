// Bumpwright: a designer for small pinball tables.
#include <windows.h>

#include "app/table_app.h"
#include "win/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    app::TableApp application;
    application.InitInstance(win::CommandLineArguments());
    return 0;
}

// Opens the program, then its About window, and saves a screenshot of each into the folder
// named by QUILLMERE_TEST_OUTPUT. Used by the run command when there is no display to look at.
#include "Driver.h"

#include <cstdio>

int main() {
    RunningApp app;
    if (!app.main()) return 1;
    SaveScreenshot(app.main(), L"main-window");
    app.OpenAbout();
    HWND about = app.WaitForWindow(L"QuillmereAbout");
    if (!about) return 1;
    app.Settle();
    Sleep(300); // let it paint
    SaveScreenshot(about, L"about-window");
    return 0;
}

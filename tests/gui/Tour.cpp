// Opens the program (or the exe named on the command line), then its About window, and saves a
// screenshot of each into the folder named by QUILLMERE_TEST_OUTPUT. Used by the run command
// when there is no display to look at, and to start a signed release.
#include "Driver.h"

#include <memory>

int main(int argc, char** argv) {
    std::unique_ptr<RunningApp> started;
    if (argc > 1) {
        std::wstring exe = WindowsPath(argv[1]);
        started = std::make_unique<RunningApp>(exe, exe.substr(0, exe.rfind(L'\\')));
    } else {
        started = std::make_unique<RunningApp>();
    }
    RunningApp& app = *started;
    if (!app.main()) return 1;
    SaveScreenshot(app.main(), L"main-window", true);
    app.OpenAbout();
    HWND about = app.WaitForWindow(L"QuillmereAbout");
    if (!about) return 1;
    app.Settle();
    Sleep(300); // let it paint
    SaveScreenshot(about, L"about-window");
    return 0;
}

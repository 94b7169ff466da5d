#include "Module1.h"

#include "AppInfo.h"
#include "frmMain.h"
#include "win/DllSearch.h"

#include <optional>

namespace {

frmMain mainForm;

const wchar_t NoMainWindow[] =
    L"Quillmere could not open its window. Close some programs, then start Quillmere again.";

} // namespace

void Main() {
    mainForm.Show();
}

int RunProgram(HMODULE kernel32) {
    if (!RestrictDllSearch(kernel32)) {
        ReportMissingDllSearchUpdate();
        return ExitNeedsDllSearchUpdate;
    }
    Main();
    // Windows can refuse a window (its desktop heap or the session's handles used up, a hook):
    // without one, nothing would ever end the message loop. Shown by the system, where it can.
    if (Form::LoadedForms().empty()) {
        MessageBoxW(nullptr, NoMainWindow, AppTitle,
                    MB_OK | MB_ICONERROR | MB_SERVICE_NOTIFICATION);
        return ExitNoMainWindow;
    }
    const std::optional<int> quit = Form::RunMessageLoop();
    return quit ? *quit : ExitMessageLoopFailed;
}

#include "Module1.h"

#include "frmMain.h"
#include "win/DllSearch.h"

namespace {
frmMain mainForm;
}

void Main() {
    mainForm.Show();
}

int RunProgram(HMODULE kernel32) {
    if (!RestrictDllSearch(kernel32)) {
        ReportMissingDllSearchUpdate();
        return 1;
    }
    Main();
    return Form::RunMessageLoop();
}

#include "Module1.h"

#include "frmMain.h"

namespace {
frmMain mainForm;
}

void Main() {
    mainForm.Show();
}

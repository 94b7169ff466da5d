// Holds the session's desktop for a whole test run, and with it the desktop shell, as Windows
// keeps both for a whole logon session. Wine ends them a second after the last program that
// uses the desktop, and asking the shell to launch while it ends hangs for seconds. Ended with
// the session's server.
#include <windows.h>

int main() {
    GetDesktopWindow();
    Sleep(INFINITE);
}

#pragma once

#include "../TestRegistry.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// What the stand-in mail client and browser recorded of one launch.
struct LaunchRecord {
    std::wstring target, folder;
    std::wstring parent; // the file name of the process that started it
    int show = -1;       // its show command, -1 if none was given
};

// The mail and web schemes of the prefix, pointed where a test wants them for the life of the
// object, and what the stand-in program recorded of its launches. Made once the desktop shell
// answers, as it does wherever Windows has one: under Wine its process comes and goes with the
// session's windows, and a launch asked of it while it starts or ends may hang for seconds.
class LaunchHandlers {
  public:
    LaunchHandlers();
    LaunchHandlers(const LaunchHandlers&) = delete;
    LaunchHandlers& operator=(const LaunchHandlers&) = delete;
    ~LaunchHandlers();

    // Wine reads only the machine-wide classes for a URL.
    void Handle(const wchar_t* scheme, const std::wstring& program);
    // Both schemes start the stand-in mail client and browser.
    void HandleWithRecorder();

    // The last launch, once it is recorded (then forgotten); none if nothing was launched in
    // time.
    std::optional<LaunchRecord> Launched(DWORD timeoutMs = 10000);

  private:
    std::vector<std::unique_ptr<KeyBackup>> saved_;
};

// Whether the desktop shell answers, within the time given, as an elevated program asks it to
// launch: its list of windows holds the desktop. Under Wine, only in a session started on a
// finished prefix.
bool DesktopAnswers(DWORD timeoutMs = 0);

// The desktop shell (explorer.exe) held still for the life of the object, every thread of it
// suspended: a shell that does not answer, as a hung extension or a dead network drive leaves
// it. A call to it then waits until the object goes.
class DesktopHeld {
  public:
    DesktopHeld();
    DesktopHeld(const DesktopHeld&) = delete;
    DesktopHeld& operator=(const DesktopHeld&) = delete;
    ~DesktopHeld();
    bool holds() const { return !threads_.empty(); }

  private:
    std::vector<HANDLE> threads_;
};

// A click of the left button on a window, as the mouse delivers it.
void Click(HWND window);

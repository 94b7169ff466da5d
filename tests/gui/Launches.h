#pragma once

#include "../TestRegistry.h"

#include <memory>
#include <string>
#include <vector>

// The mail and web schemes of the prefix, pointed where a test wants them for the life of the
// object, and what the stand-in program recorded of its launches.
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

    // The target and the folder of the last launch, once it is recorded (then forgotten);
    // empty if nothing was launched in time.
    std::vector<std::wstring> Launched(DWORD timeoutMs = 10000);

  private:
    std::vector<std::unique_ptr<KeyBackup>> saved_;
};

// A click of the left button on a window, as the mouse delivers it.
void Click(HWND window);

#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

// Drives the real program from outside, in the same Wine prefix: starts it, finds its windows,
// reads its controls and acts on them the way the controls themselves report user actions.

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
// Runs the messages waiting for this thread, as its message loop would.
void Pump();

std::wstring Text(HWND hwnd);
std::wstring ClassOf(HWND hwnd);
RECT RectInClient(HWND control, HWND parent); // a child's rectangle in its parent's client area
int PxX(int twips);
int PxY(int twips);

std::vector<std::wstring> ComboItems(HWND combo);
int ComboSelection(HWND combo);
HWND ComboEdit(HWND combo);

// The program under test; ended (gently, then by force) when the object goes.
class RunningApp {
  public:
    RunningApp();
    // A copy of the program elsewhere, started in a folder of the test's choosing.
    RunningApp(const std::wstring& exe, const std::wstring& folder);
    // Started with another primary token: another user's, or the same user's with other rights.
    explicit RunningApp(HANDLE token);
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;
    ~RunningApp();

    HWND main() const { return main_; }
    HWND Item(int id) const { return GetDlgItem(main_, id); }
    DWORD pid() const { return pid_; }
    HANDLE process() const { return process_; }

    // A top-level window of this process with this class (and title, if given).
    HWND FindWindowOf(const wchar_t* className, const wchar_t* title = nullptr) const;
    HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs = 5000) const;
    HWND WaitForMessageBox(DWORD timeoutMs = 5000) const;
    bool WaitForExit(DWORD timeoutMs = 5000) const;
    // Returns once every message sent before has been handled.
    void Settle() const;
    HWND Focus() const;

    void PickCombo(int id, int index) const;                  // as a pick from the list reports it
    void Type(int id, const std::wstring& text) const;        // characters typed into the field
    void ReplaceText(int id, const std::wstring& text) const; // the field's text replaced
    void Press(HWND button) const;                            // a click, without waiting for it
    void OpenAbout() const;
    // Help > About, and the window once it is ready for the user (OK has the focus); null if
    // it did not open.
    HWND OpenAboutAndWait() const;
    // A key pressed and released; held, it repeats as the keyboard repeats it.
    void Key(HWND target, UINT vk, int repeats = 0) const;

  private:
    void Launch(const std::wstring& exe, const wchar_t* folder, HANDLE token = nullptr);
    PROCESS_INFORMATION pi_{};
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
};

// The Limited token linked to this process's elevated one, as a primary token that can start a
// process (close it after); null if this process has none. Under Wine every process started
// from Linux is elevated, with such a token linked.
HANDLE LinkedLimitedToken();

// A path of the build tree (a Linux path) as the program sees it.
std::wstring WindowsPath(std::string unixPath);

// The program under test as a Windows path.
std::wstring ProgramPath();

// Saves a screenshot of a window (frame included) into the test output folder as BMP. With
// `caretShown`, of looks taken over more than a blink period the one with the most black
// pixels (a shown caret inverts its white field): the same pixels in every run.
void SaveScreenshot(HWND window, const std::wstring& name, bool caretShown = false);

// What the screen shows in a rectangle (given in screen coordinates), pixel by pixel.
class ScreenPixels {
  public:
    explicit ScreenPixels(const RECT& onScreen);
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const; // from the rectangle's top left corner

  private:
    int width_, height_;
    DWORD stride_ = 0;
    std::vector<char> rows_; // bottom row first, 24-bit BGR
};

// Every colour a window shows on the screen.
std::set<COLORREF> ColoursOn(HWND window);

// Message box text and its close.
std::wstring MessageBoxText(HWND box);
void CloseMessageBox(HWND box);

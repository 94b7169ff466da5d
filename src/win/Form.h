#pragma once

#include "win/LabelInk.h"
#include "win/WindowDpi.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

// A top-level window with the life cycle the program's two windows need: load (create and run
// Form_Load), show, modal show over an owner, and unload (run Form_Unload and destroy). The
// application keeps its loaded forms in load order and ends when none is left.
class Form {
  public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    HWND hwnd() const { return hwnd_; }
    bool IsLoaded() const { return hwnd_ != nullptr; }

    void Load(HWND owner = nullptr);
    void Show();
    // Shows over owner with owner disabled, and returns once this form is unloaded.
    void ShowModal(Form& owner);
    void Unload();

    static const std::vector<Form*>& LoadedForms();
    // Unloads every loaded form but `keep`, the newest first.
    static void UnloadAllBut(const Form& keep);
    // Runs the program's message loop until the last form is unloaded. Gives the code the quit
    // carries, or nothing if Windows failed to give the next message.
    static std::optional<int> RunMessageLoop();
    // Runs this thread's messages, as the program's loop does, while waiting at most timeoutMs
    // for `object` to be signalled: the windows paint, move and close meanwhile. A quit on the
    // way ends the wait and is left for the program's loop.
    enum class Waited { Signalled, TimedOut, Quit };
    static Waited RunMessagesUntil(HANDLE object, DWORD timeoutMs);

    // The form of a window of ours; null for any other window.
    static Form* FromWindow(HWND hwnd);

    // Twips at this window's DPI (the screen's, or where Windows gives each window its own,
    // the one Windows gave it), and the window's one font, decided for that DPI.
    int Dpi() const { return scale_.dpi(); }
    int TwipsToPixelsX(int twips) const { return scale_.Px(twips); }
    int TwipsToPixelsY(int twips) const { return scale_.Px(twips); }
    HFONT DefaultFont() const { return scale_.font(); }

  protected:
    struct WindowTraits {
        const wchar_t* className;
        const wchar_t* caption;
        DWORD style;
        DWORD exStyle;
        // The size in twips: the outer size, grown where this system's frame would leave less
        // than the client size (0 for no outer size: exactly the client size).
        int outerWidth, outerHeight;
        int clientWidth, clientHeight;
    };
    // Fixed for the class: a constant, not made at each call.
    virtual const WindowTraits& Traits() const = 0;
    // The menu bar, made with the window so that its frame is laid out once; none by default.
    virtual HMENU CreateMenuBar() const { return nullptr; }
    virtual void CreateControls() = 0;
    // What the twips alone do not place, done again after every layout: at load, and when the
    // DPI changes.
    virtual void FitControls() {}
    virtual void Form_Load() {}
    virtual void Form_Unload(std::int16_t& cancel) { (void)cancel; }
    virtual void OnCommand(int id, int code, HWND control) = 0;
    // The ink a label is drawn in; the system's text colour unless the design says otherwise.
    virtual Ink LabelInk(HWND) const { return Ink::System; }
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    // Creates a child control at a position and size given in twips, in the default font.
    HWND AddControl(const wchar_t* windowClass, const wchar_t* text, DWORD style, int id,
                    TwipsBox box);
    void CentreOver(HWND reference);

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // Runs messages until WM_QUIT, or until `modal` is unloaded (a quit on the way is left for
    // the program's loop). Returns the quit's exit code; nothing if a message could not be had.
    static std::optional<int> Pump(const Form* modal);
    static void Dispatch(MSG& msg);
    static bool PreTranslate(MSG& msg);
    static void RegisterClassOnce(const wchar_t* className);
    SIZE OuterSize(const WindowTraits& traits, bool menu, int dpi) const;
    void OnDpiChanged(int dpi, const RECT& suggested);

    HWND hwnd_ = nullptr;
    HWND modalOwner_ = nullptr;
    HWND lastFocus_ = nullptr;
    WindowDpi scale_;
};

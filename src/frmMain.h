#pragma once

#include "win/Form.h"

#include <array>
#include <optional>
#include <string_view>

struct TimeoutEntry {
    std::wstring_view caption;
    int seconds;
};

// The timeout chooser's list, in this order.
inline constexpr std::array<TimeoutEntry, 5> TimeoutTable{{
    {L"1 Min", 60},
    {L"2 Min", 120},
    {L"5 Min", 300},
    {L"10 Min", 600},
    {L"15 Min", 900},
}};

// Seconds for a timeout text that was typed rather than picked: a table caption (blanks around
// it and letter case ignored), or a whole number of minutes from 1 to 9999, alone or followed
// by "Min". Nothing for any other text.
std::optional<int> TimeoutFromText(std::wstring_view text);

// The main window: the two choosers, Apply and Exit, and the File and Help menus.
class frmMain : public Form {
  public:
    enum : int {
        // Clear of IDOK and IDCANCEL, which the dialog keys send.
        IdCombo1 = 100,
        IdCombo2,
        IdApply,
        IdExit,
        IdLabel1,
        IdLabel2,
        IdFileExit = 200,
        IdHelpAbout,
    };

  protected:
    const WindowTraits& Traits() const override;
    HMENU CreateMenuBar() const override;
    void CreateControls() override;
    void FitControls() override;
    void Form_Load() override;
    void Form_Unload(std::int16_t& cancel) override;
    void OnCommand(int id, int code, HWND control) override;

  private:
    void Combo1_Click();
    void Combo2_Click();
    void btnApply_Click();
    void btnExit_Click();
    void mnuFileExit_Click();
    void mnuHelpAbout_Click(); // with the About window, in frmAbout.cpp

    void FitComboHeight(HWND combo, int twips);
    std::optional<int> ChosenTimeout() const;

    HWND Combo1 = nullptr;
    HWND Combo2 = nullptr;
    HWND btnApply = nullptr;
    HWND btnExit = nullptr;
};

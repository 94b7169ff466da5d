#include "Module1.h"
#include "WebStuffFunctions.h"
#include "frmAbout.h"
#include "frmMain.h"
#include "resource.h"
#include "win/DesktopShell.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeoutText, CaptionsAndWholeMinutes) {
    const struct {
        const wchar_t* text;
        std::optional<int> seconds;
    } cases[] = {
        {L"1 Min", 60},   {L"10 Min", 600}, {L"  15 MIN  ", 900}, {L"5 min", 300},
        {L"7", 420},      {L"7Min", 420},   {L"7 min", 420},      {L"9999", 599940},
        {L"0", {}},       {L"10000", {}},   {L"-1", {}},          {L"", {}},
        {L"  ", {}},      {L"soon", {}},    {L"5 Minutes", {}},   {L"5 Min x", {}},
        {L"1.5 Min", {}}, {L"\u0665", {}}, // Arabic-Indic five is no ASCII digit
    };
    for (const auto& c : cases)
        EXPECT_EQ(TimeoutFromText(c.text), c.seconds) << c.text;
}

TEST(TimeoutText, TableIsInDesignedOrder) {
    ASSERT_EQ(TimeoutTable.size(), 5u);
    const int seconds[] = {60, 120, 300, 600, 900};
    for (size_t i = 0; i < TimeoutTable.size(); ++i) {
        EXPECT_EQ(TimeoutTable[i].seconds, seconds[i]);
        EXPECT_EQ(TimeoutTable[i].caption, std::to_wstring(seconds[i] / 60) + L" Min");
    }
}

TEST(VersionLine, PlainNumbersAfterOneBlank) {
    EXPECT_EQ(VersionText(1, 2, 0), L"Version 1.2.0");
    EXPECT_EQ(VersionText(10, 0, 65535), L"Version 10.0.65535");
    // Read back from the stamp: the numbers of resource.h, the version's one source.
    const ProgramVersion v = ReadProgramVersion();
    EXPECT_EQ(VersionText(v.major, v.minor, v.revision),
              VersionText(QUILLMERE_MAJOR, QUILLMERE_MINOR, QUILLMERE_REVISION));
}

// Administrators' scripts read these: each code keeps the value and the one meaning the README
// and docs/behaviour.md give it.
TEST(ExitCodes, EachKeepsItsDocumentedValue) {
    EXPECT_EQ(ExitClosed, 0);
    EXPECT_EQ(ExitNeedsDllSearchUpdate, 1);
    EXPECT_EQ(ExitNoMainWindow, 2);
    EXPECT_EQ(ExitMessageLoopFailed, 3);
    EXPECT_EQ(ExitProgramFault, 4);
    EXPECT_EQ(ExitOutOfMemory, 8);
}

TEST(MailLink, AppendsSubjectWithoutEscaping) {
    EXPECT_EQ(FeedbackMailLink(L"help@quillmere.example"),
              L"mailto:help@quillmere.example?subject=Fenwarden: Quillmere");
    EXPECT_EQ(FeedbackMailLink(L"a b?c=d"), L"mailto:a b?c=d?subject=Fenwarden: Quillmere");
    EXPECT_EQ(FeedbackMailLink(L""), L"mailto:?subject=Fenwarden: Quillmere");
}

TEST(ShellResult, AboveThirtyTwoAsSigned32BitIsSuccess) {
    EXPECT_FALSE(ShellLaunchSucceeded(32));
    EXPECT_TRUE(ShellLaunchSucceeded(33));
    EXPECT_FALSE(ShellLaunchSucceeded(0));
    EXPECT_FALSE(ShellLaunchSucceeded(2));
    EXPECT_FALSE(ShellLaunchSucceeded(-1));
    EXPECT_FALSE(ShellLaunchSucceeded(0x80000021LL)); // negative as a 32-bit number
    EXPECT_TRUE(ShellLaunchSucceeded(0x100000021LL)); // high bits beyond 32 are not read
}

// Only a process elevated through UAC asks the desktop. Only where there is no desktop shell to
// ask does the process launch itself; once there is one, anything but its S_OK is a refusal,
// since the shell may have launched already or may still.
TEST(ShellResult, RouteByElevationAndOutcomeByDesktopAnswer) {
    EXPECT_EQ(RouteFor(TokenElevationTypeFull), LaunchRoute::Desktop);
    EXPECT_EQ(RouteFor(TokenElevationTypeLimited), LaunchRoute::Direct);
    EXPECT_EQ(RouteFor(TokenElevationTypeDefault), LaunchRoute::Direct);
    const HRESULT disconnected = RPC_E_DISCONNECTED,
                  gone = HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
    const struct {
        DesktopWalk walk;
        DesktopAnswer answer;
    } cases[] = {
        {{DesktopWalk::ShellWindows, REGDB_E_CLASSNOTREG}, DesktopAnswer::Unavailable},
        {{DesktopWalk::ShellWindows, CO_E_SERVER_EXEC_FAILURE}, DesktopAnswer::Unavailable},
        {{DesktopWalk::FindDesktop, S_FALSE}, DesktopAnswer::Unavailable},
        // A shell that restarts, is busy or went away mid-call is still there.
        {{DesktopWalk::ShellWindows, gone}, DesktopAnswer::Refused},
        {{DesktopWalk::ShellWindows, E_OUTOFMEMORY}, DesktopAnswer::Refused},
        {{DesktopWalk::FindDesktop, E_FAIL}, DesktopAnswer::Refused},
        {{DesktopWalk::FindDesktop, disconnected}, DesktopAnswer::Refused},
        {{DesktopWalk::Reach, E_NOINTERFACE}, DesktopAnswer::Refused},
        {{DesktopWalk::Reach, REGDB_E_CLASSNOTREG}, DesktopAnswer::Refused},
        {{DesktopWalk::Execute, S_OK}, DesktopAnswer::Launched},
        {{DesktopWalk::Execute, S_FALSE}, DesktopAnswer::Refused},
        {{DesktopWalk::Execute, 2}, DesktopAnswer::Refused}, // a success that is no launch
        {{DesktopWalk::Execute, gone}, DesktopAnswer::Refused},
        {{DesktopWalk::Execute, REGDB_E_CLASSNOTREG}, DesktopAnswer::Refused},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AnswerOf(c.walk), c.answer) << c.walk.step << " " << std::hex << c.walk.result;
}

TEST(LabelInk, HighContrastTakesTheSystemsColoursForTheDesignedOnes) {
    const SystemInks scheme{RGB(255, 255, 0), RGB(0, 255, 255)}; // a dark scheme's yellow and cyan
    EXPECT_EQ(InkColour(Ink::Black, false, scheme), RGB(0, 0, 0));
    EXPECT_EQ(InkColour(Ink::Link, false, scheme), RGB(0, 0, 255));
    EXPECT_EQ(InkColour(Ink::Black, true, scheme), RGB(255, 255, 0));
    EXPECT_EQ(InkColour(Ink::Link, true, scheme), RGB(0, 255, 255));
    EXPECT_EQ(InkColour(Ink::System, false, scheme), RGB(255, 255, 0));
    EXPECT_EQ(InkColour(Ink::System, true, scheme), RGB(255, 255, 0));
}

} // namespace

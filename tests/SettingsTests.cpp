#include "settings.h"
#include "TestRegistry.h"

#include <gtest/gtest.h>

namespace {

// Each test works on the real logon desktop key of the test prefix and gets it back whole.
class LogonSettings : public ::testing::Test {
  protected:
    KeyBackup backup{HKEY_USERS, DesktopKey};
    std::wstring Value(const wchar_t* name) { return ReadWide(HKEY_USERS, DesktopKey, name); }
    void SetUp() override { ResetDesktopKey(); }
};

TEST_F(LogonSettings, ReadGivesNoneForAbsentOrEmptyValueOrMissingKey) {
    EXPECT_EQ(ReadLogonScreenSaver(), L"(None)");
    PutString(HKEY_USERS, DesktopKey, L"SCRNSAVE.EXE", L"");
    EXPECT_EQ(ReadLogonScreenSaver(), L"(None)");
    DeleteKeyTree(HKEY_USERS, DesktopKey);
    EXPECT_EQ(ReadLogonScreenSaver(), L"(None)");
}

TEST_F(LogonSettings, ReadReturnsWhatIsStored) {
    PutString(HKEY_USERS, DesktopKey, L"SCRNSAVE.EXE", L"C:\\WINDOWS\\System32\\Logon.SCR");
    EXPECT_EQ(ReadLogonScreenSaver(), L"C:\\WINDOWS\\System32\\Logon.SCR");
}

TEST_F(LogonSettings, SetWritesNameActiveFlagAndTimeoutAsDecimalText) {
    EXPECT_TRUE(SetLogonScreenSaver(L"ssstars.scr", 300));
    EXPECT_EQ(Value(L"SCRNSAVE.EXE"), L"ssstars.scr");
    EXPECT_EQ(Value(L"ScreenSaveActive"), L"1");
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"300");
    EXPECT_TRUE(SetLogonScreenSaver(L"ssstars.scr", 600));
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"600");
    EXPECT_TRUE(SetLogonScreenSaver(L"ssstars.scr", -5));
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"-5");
    const auto snap = SnapshotKey(HKEY_USERS, DesktopKey);
    EXPECT_EQ(snap.at(L"ScreenSaveTimeout").type, DWORD{REG_SZ});
}

TEST_F(LogonSettings, SetWithoutTimeoutLeavesTheStoredOne) {
    EXPECT_TRUE(SetLogonScreenSaver(L"a.scr", std::nullopt));
    EXPECT_EQ(Value(L"SCRNSAVE.EXE"), L"a.scr");
    EXPECT_EQ(Value(L"ScreenSaveActive"), L"1");
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"42");
}

TEST_F(LogonSettings, SetCreatesAMissingKey) {
    DeleteKeyTree(HKEY_USERS, DesktopKey);
    EXPECT_TRUE(SetLogonScreenSaver(L"a.scr", 60));
    EXPECT_EQ(Value(L"SCRNSAVE.EXE"), L"a.scr");
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"60");
}

TEST_F(LogonSettings, NoneChoiceDeletesOnlyTheScreenSaver) {
    SetLogonScreenSaver(L"a.scr", 900);
    EXPECT_TRUE(ApplyLogonChoice(L"(None)", 60));
    EXPECT_FALSE(ValueExists(HKEY_USERS, DesktopKey, L"SCRNSAVE.EXE"));
    EXPECT_EQ(Value(L"ScreenSaveActive"), L"1");
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"900");
    // A second clear finds nothing to do and changes nothing.
    const auto before = SnapshotKey(HKEY_USERS, DesktopKey);
    EXPECT_TRUE(ClearLogonScreenSaver());
    EXPECT_EQ(SnapshotKey(HKEY_USERS, DesktopKey), before);
}

TEST_F(LogonSettings, OnlyTheExactNoneEntryClears) {
    EXPECT_TRUE(IsNoneChoice(L"(None)"));
    for (const wchar_t* text : {L"(none)", L"(NONE)", L" (None)", L"(None) ", L""})
        EXPECT_FALSE(IsNoneChoice(text)) << text;
    EXPECT_TRUE(ApplyLogonChoice(L"(none)", 120));
    EXPECT_EQ(Value(L"SCRNSAVE.EXE"), L"(none)");
    EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"120");
    EXPECT_TRUE(ApplyLogonChoice(L"", 60));
    EXPECT_TRUE(ValueExists(HKEY_USERS, DesktopKey, L"SCRNSAVE.EXE"));
    EXPECT_EQ(Value(L"SCRNSAVE.EXE"), L"");
}

TEST_F(LogonSettings, RefusedWritesAreReportedAndLeaveTheKeyAsItWas) {
    SetLogonScreenSaver(L"old.scr", 600);
    SetKeyDacl(HKEY_USERS, DesktopKey, DenyWritesSddl);
    const auto before = SnapshotKey(HKEY_USERS, DesktopKey);
    EXPECT_FALSE(SetLogonScreenSaver(L"new.scr", 300));
    EXPECT_FALSE(ClearLogonScreenSaver());
    EXPECT_EQ(SnapshotKey(HKEY_USERS, DesktopKey), before);
    EXPECT_EQ(ReadLogonScreenSaver(), L"old.scr");
}

TEST_F(LogonSettings, NameOutsideTheCodePageWritesNothing) {
    SetLogonScreenSaver(L"old.scr", 600);
    const auto before = SnapshotKey(HKEY_USERS, DesktopKey);
    EXPECT_FALSE(SetLogonScreenSaver(L"\u03a9mega.scr", 300));
    EXPECT_EQ(SnapshotKey(HKEY_USERS, DesktopKey), before);
    EXPECT_TRUE(SetLogonScreenSaver(L"\u00c9cran.scr", 300));
    EXPECT_EQ(Value(L"SCRNSAVE.EXE"), L"\u00c9cran.scr");
}

} // namespace

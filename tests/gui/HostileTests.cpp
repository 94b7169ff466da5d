// Whatever the registry and the system folder hold, and whatever is typed, the window appears,
// shows what the rules say, and Apply writes only what the user chose.
#include "GuiFixture.h"

#include "frmMain.h"
#include "settings.h"

namespace {

const std::wstring VersionKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

class Hostile : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        root = std::make_unique<ValueBackup>(HKEY_LOCAL_MACHINE, VersionKey, L"SystemRoot");
        Plant(L"qtlisted.scr");
    }
    void TearDown() override {
        GuiTest::TearDown();
        root.reset();
    }
    // Applies, and checks that the key now differs from before in exactly the three values
    // that the choice decides.
    void ApplyAndExpect(const std::wstring& text, const wchar_t* timeout) {
        KeySnapshot expected = SnapshotKey(HKEY_USERS, DesktopKey);
        app->Settle();
        ASSERT_TRUE(ApplyEnabled());
        app->Press(Apply());
        ASSERT_TRUE(WaitUntil([&] { return !ApplyEnabled(); }, 10000)) << "Apply did not finish";
        expected[L"SCRNSAVE.EXE"] = SzValue(text);
        expected[L"ScreenSaveActive"] = SzValue(L"1");
        expected[L"ScreenSaveTimeout"] = SzValue(timeout);
        EXPECT_EQ(SnapshotKey(HKEY_USERS, DesktopKey), expected);
    }
    std::unique_ptr<ValueBackup> root;
};

struct StoredCase {
    const char* label;
    DWORD type;
    std::vector<BYTE> data;
    std::wstring shown;
};

std::vector<BYTE> Wide(const std::wstring& text, bool nul = true) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(bytes, bytes + (text.size() + (nul ? 1 : 0)) * sizeof(wchar_t));
}

// Named, not dumped as bytes, in test listings.
void PrintTo(const StoredCase& c, std::ostream* os) {
    *os << c.label;
}

class StoredValue : public Hostile, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredValue, ShowsWhatTheRulesSayAndApplyWritesOnlyTheChoice) {
    const StoredCase& c = GetParam();
    PutString(HKEY_USERS, DesktopKey, L"Wallpaper", L"keep me");
    PutRaw(HKEY_USERS, DesktopKey, L"SCRNSAVE.EXE", c.type, c.data.data(),
           static_cast<DWORD>(c.data.size()));
    Start();
    ASSERT_NE(app->main(), nullptr);
    EXPECT_EQ(Text(Combo1()), c.shown);
    EXPECT_FALSE(ApplyEnabled());
    // Only a timeout picked: the field's text is the choice, written back unchanged.
    app->PickCombo(frmMain::IdCombo2, 0);
    if (c.shown == L"(None)") {
        app->Press(Apply());
        ASSERT_TRUE(WaitUntil([&] { return !ApplyEnabled(); }));
        EXPECT_FALSE(ValueExists(HKEY_USERS, DesktopKey, L"SCRNSAVE.EXE"));
        EXPECT_EQ(Value(L"ScreenSaveTimeout"), L"42");
    } else {
        ApplyAndExpect(c.shown, L"60");
    }
    EXPECT_EQ(Value(L"Wallpaper"), L"keep me");
}

std::vector<StoredCase> StoredCases() {
    const DWORD five = 5;
    const std::wstring big(1 << 20, L'm');
    return {
        {"binary", REG_BINARY, {'a', 'b', 'c'}, L"(None)"},
        {"multi", REG_MULTI_SZ, Wide(std::wstring(L"a.scr\0b.scr\0", 12)), L"(None)"},
        {"dword", REG_DWORD,
         std::vector<BYTE>(reinterpret_cast<const BYTE*>(&five),
                           reinterpret_cast<const BYTE*>(&five) + 4),
         L"(None)"},
        {"expand", REG_EXPAND_SZ, Wide(L"%SystemRoot%\\x.scr"), L"%SystemRoot%\\x.scr"},
        {"megabyte", REG_SZ, Wide(big), L"(None)"}, // past the read limit: unreadable
        {"no_nul", REG_SZ, Wide(L"abc.scr", false), L"abc.scr"},
        {"embedded_nuls", REG_SZ, Wide(std::wstring(L"ab.scr\0cd\0ef", 12)), L"ab.scr"},
        {"odd_length", REG_SZ, {'a', 0, 'b', 0, 'c', 0, 'd'}, L"abc"},
        {"empty", REG_SZ, Wide(L""), L"(None)"},
    };
}

INSTANTIATE_TEST_SUITE_P(Kinds, StoredValue, ::testing::ValuesIn(StoredCases()),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(Hostile, NameOutsideTheCodePageIsShownExactlyAndNeverWrittenAsALookAlike) {
    PutString(HKEY_USERS, DesktopKey, L"SCRNSAVE.EXE", L"\u03a9mega.scr");
    Plant(L"\u0416uk.scr");
    const KeySnapshot before = SnapshotKey(HKEY_USERS, DesktopKey);
    Start();
    EXPECT_EQ(Text(Combo1()), L"\u03a9mega.scr");
    for (const auto pick : {0, 1}) {
        if (pick) PickName(L"\u0416uk.scr");
        app->PickCombo(frmMain::IdCombo2, 2);
        EXPECT_NE(ApplyRefused().find(L"code page"), std::wstring::npos);
        EXPECT_TRUE(ApplyEnabled());
        EXPECT_EQ(SnapshotKey(HKEY_USERS, DesktopKey), before);
    }
}

TEST_F(Hostile, MissingKeyShowsNoneAndApplyCreatesIt) {
    DeleteKeyTree(HKEY_USERS, DesktopKey);
    Start();
    EXPECT_EQ(Text(Combo1()), L"(None)");
    PickName(L"qtlisted.scr");
    app->PickCombo(frmMain::IdCombo2, 1);
    ApplyAndExpect(L"qtlisted.scr", L"120");
}

TEST_F(Hostile, ReadOnlyKeyShowsTheValueAndRefusesWithAMessage) {
    SetValue(L"SCRNSAVE.EXE", L"old.scr");
    SetKeyDacl(HKEY_USERS, DesktopKey, DenyWritesSddl);
    const KeySnapshot before = SnapshotKey(HKEY_USERS, DesktopKey);
    Start();
    EXPECT_EQ(Text(Combo1()), L"old.scr");
    PickName(L"(None)");
    EXPECT_NE(ApplyRefused().find(L"Administrator"), std::wstring::npos);
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_EQ(SnapshotKey(HKEY_USERS, DesktopKey), before);
}

TEST_F(Hostile, UnreadableKeyShowsNone) {
    SetValue(L"SCRNSAVE.EXE", L"old.scr");
    SetKeyDacl(HKEY_USERS, DesktopKey, L"D:(D;;0x20019;;;WD)(A;;KA;;;WD)");
    Start();
    ASSERT_NE(app->main(), nullptr);
    EXPECT_EQ(Text(Combo1()), L"(None)");
    EXPECT_FALSE(ApplyEnabled());
}

struct RootCase {
    const char* label;
    DWORD type;
    std::vector<BYTE> data; // empty: no value at all
};

void PrintTo(const RootCase& c, std::ostream* os) {
    *os << c.label;
}

class SystemRoot : public Hostile, public ::testing::WithParamInterface<RootCase> {};

TEST_P(SystemRoot, ThatCannotBeListedLeavesOnlyNone) {
    const RootCase& c = GetParam();
    HANDLE file =
        CreateFileW(L"C:\\quillmere-afile", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    if (c.data.empty())
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, VersionKey.c_str(), L"SystemRoot");
    else
        PutRaw(HKEY_LOCAL_MACHINE, VersionKey, L"SystemRoot", c.type, c.data.data(),
               static_cast<DWORD>(c.data.size()));
    Start();
    DeleteFileW(L"C:\\quillmere-afile");
    ASSERT_NE(app->main(), nullptr);
    EXPECT_EQ(ComboItems(Combo1()), std::vector<std::wstring>{L"(None)"});
    EXPECT_EQ(Text(Combo1()), L"(None)");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SystemRoot,
    ::testing::Values(RootCase{"missing", REG_SZ, {}}, RootCase{"empty", REG_SZ, Wide(L"")},
                      RootCase{"missing_folder", REG_SZ, Wide(L"C:\\no\\such\\windows")},
                      RootCase{"a_file", REG_SZ, Wide(L"C:\\quillmere-afile")},
                      RootCase{"dword", REG_DWORD, {1, 0, 0, 0}},
                      RootCase{"too_long", REG_SZ, Wide(L"C:\\" + std::wstring(400, L'x'))}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Hostile, HundredThousandFilesInTheSystemFolder) {
    PutString(HKEY_LOCAL_MACHINE, VersionKey, L"SystemRoot", L"C:\\quillmere-root");
    Start();
    ASSERT_NE(app->main(), nullptr);
    const auto items = ComboItems(Combo1());
    EXPECT_EQ(items.size(), 5001u);
    EXPECT_EQ(items.front(), L"(None)");
    EXPECT_TRUE(std::is_sorted(items.begin() + 1, items.end(), [](const auto& a, const auto& b) {
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
               CSTR_LESS_THAN;
    }));
}

TEST_F(Hostile, OddNamesInTheSystemFolder) {
    const std::wstring longName = std::wstring(251, L'L') + L".scr";
    Plant(longName);
    Plant(L"\u4e2d\u6587.scr");
    Plant(L"hidden.scr");
    Plant(L"system.scr");
    SetFileAttributesW(InSystemFolder(L"hidden.scr").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(InSystemFolder(L"system.scr").c_str(),
                       FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    CreateDirectoryW(InSystemFolder(L"qtfolder.scr").c_str(), nullptr);
    Start();
    RemoveDirectoryW(InSystemFolder(L"qtfolder.scr").c_str());
    for (const wchar_t* name : {L"hidden.scr", L"system.scr"})
        SetFileAttributesW(InSystemFolder(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    const auto items = ComboItems(Combo1());
    for (const auto& name : {longName, std::wstring(L"\u4e2d\u6587.scr"),
                             std::wstring(L"hidden.scr"), std::wstring(L"system.scr")})
        EXPECT_NE(std::find(items.begin(), items.end(), name), items.end());
    EXPECT_EQ(std::find(items.begin(), items.end(), L"qtfolder.scr"), items.end());
    PickName(longName);
    app->PickCombo(frmMain::IdCombo2, 3);
    ApplyAndExpect(longName, L"600");
}

// The clipboard's text as a user's copy leaves it.
void ToClipboard(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

TEST_F(Hostile, LongControlAndPastedInputIsWrittenAsTheFieldShowsIt) {
    Start();
    HWND edit1 = ComboEdit(Combo1());
    // 30,000 characters in each field: the first typed, the rest pasted at the front (Wine's
    // edit control takes time quadratic in the length for each character typed into a long
    // text, up to a second each in the narrow field).
    PickName(L"qtlisted.scr");
    for (const int id : {frmMain::IdCombo1, frmMain::IdCombo2}) {
        const wchar_t ch = id == frmMain::IdCombo1 ? L'q' : L'7';
        HWND edit = ComboEdit(app->Item(id));
        SendMessageW(edit, EM_SETSEL, 0, -1);
        app->Type(id, std::wstring(300, ch));
        SendMessageW(edit, EM_SETSEL, 0, 0);
        ToClipboard(std::wstring(29700, ch));
        SendMessageW(edit, WM_PASTE, 0, 0);
    }
    const std::wstring field = Text(Combo1());
    EXPECT_EQ(field, std::wstring(30000, L'q'));
    EXPECT_EQ(Text(Combo2()), std::wstring(30000, L'7'));
    ApplyAndExpect(field, L"42"); // 30,000 sevens are no number of minutes

    // Control characters, then a paste with line breaks.
    PickName(L"qtlisted.scr");
    SendMessageW(edit1, EM_SETSEL, 0, -1);
    std::wstring controls;
    for (wchar_t ch = 1; ch < 32; ++ch)
        controls += ch;
    app->Type(frmMain::IdCombo1, controls);
    ToClipboard(L"first.scr\r\nsecond.scr\nthird");
    SendMessageW(edit1, WM_PASTE, 0, 0);
    const std::wstring afterPaste = Text(Combo1());
    EXPECT_EQ(afterPaste.find_first_of(L"\r\n"), std::wstring::npos) << "a line break got in";
    EXPECT_NE(afterPaste.find(L"first.scr"), std::wstring::npos);
    app->PickCombo(frmMain::IdCombo2, 4);
    ApplyAndExpect(afterPaste, L"900");
    EXPECT_EQ(WaitForSingleObject(app->process(), 0), WAIT_TIMEOUT);
}

} // namespace

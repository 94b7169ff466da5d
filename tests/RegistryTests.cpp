#include "RegistryDeclarationsAndFunctions.h"
#include "TestRegistry.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const std::wstring Scratch = L"Software\\QuillmereTest";

class RegistryStrings : public ::testing::Test {
  protected:
    void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, Scratch); }
    void TearDown() override { DeleteKeyTree(HKEY_CURRENT_USER, Scratch); }
    std::wstring Get(const std::wstring& name) {
        return GetRegistryString(HKEY_CURRENT_USER, Scratch, name, L"<default>");
    }
    void PutAnsiBytes(const std::wstring& name, const std::string& bytes, DWORD type = REG_SZ) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, Scratch.c_str(), &key), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, std::string(name.begin(), name.end()).c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

TEST_F(RegistryStrings, WrittenTextReadsBackAsWideString) {
    EXPECT_TRUE(SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Name", L"ssstars.scr"));
    EXPECT_EQ(ReadWide(HKEY_CURRENT_USER, Scratch, L"Name"), L"ssstars.scr");
    EXPECT_EQ(SnapshotKey(HKEY_CURRENT_USER, Scratch).at(L"Name").type, DWORD{REG_SZ});
    EXPECT_EQ(Get(L"Name"), L"ssstars.scr");
}

TEST_F(RegistryStrings, EmptyStringIsNotTheDefault) {
    EXPECT_TRUE(SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Empty", L""));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, Scratch, L"Empty"));
    EXPECT_EQ(Get(L"Empty"), L"");
    PutAnsiBytes(L"ZeroBytes", "");
    EXPECT_EQ(Get(L"ZeroBytes"), L"");
}

TEST_F(RegistryStrings, WrongTypeOrAbsentGivesDefault) {
    const DWORD number = 600;
    PutRaw(HKEY_CURRENT_USER, Scratch, L"Dword", REG_DWORD, &number, sizeof number);
    PutRaw(HKEY_CURRENT_USER, Scratch, L"Binary", REG_BINARY, "abc", 3);
    const wchar_t multi[] = L"a\0b\0";
    PutRaw(HKEY_CURRENT_USER, Scratch, L"Multi", REG_MULTI_SZ, multi, sizeof multi);
    EXPECT_EQ(Get(L"Dword"), L"<default>");
    EXPECT_EQ(Get(L"Binary"), L"<default>");
    EXPECT_EQ(Get(L"Multi"), L"<default>");
    EXPECT_EQ(Get(L"Missing"), L"<default>");
    EXPECT_EQ(GetRegistryString(HKEY_CURRENT_USER, Scratch + L"\\Nope", L"Name", L"dflt"), L"dflt");
}

TEST_F(RegistryStrings, NulTerminationAndEmbeddedNuls) {
    PutAnsiBytes(L"NoNul", "abc");
    EXPECT_EQ(Get(L"NoNul"), L"abc");
    PutAnsiBytes(L"Embedded", std::string("ab\0cd\0", 6));
    EXPECT_EQ(Get(L"Embedded"), L"ab");
    PutAnsiBytes(L"OddLength", std::string("abcde", 5));
    EXPECT_EQ(Get(L"OddLength"), L"abcde");
}

TEST_F(RegistryStrings, ExpandStringComesBackUnexpanded) {
    PutString(HKEY_CURRENT_USER, Scratch, L"Expand", L"%SystemRoot%\\x.scr", REG_EXPAND_SZ);
    EXPECT_EQ(Get(L"Expand"), L"%SystemRoot%\\x.scr");
}

TEST_F(RegistryStrings, MissingParentKeysAreCreated) {
    const std::wstring deep = Scratch + L"\\a\\b\\c";
    EXPECT_TRUE(SetRegistryString(HKEY_CURRENT_USER, deep, L"v", L"deep"));
    EXPECT_EQ(ReadWide(HKEY_CURRENT_USER, deep, L"v"), L"deep");
}

TEST_F(RegistryStrings, NonAsciiTextCrossesTheAnsiCodePage) {
    ASSERT_EQ(GetACP(), 1252u) << "the test prefix is expected to use code page 1252";
    EXPECT_TRUE(SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Name", L"\u00c9cran.scr"));
    EXPECT_EQ(ReadWide(HKEY_CURRENT_USER, Scratch, L"Name"), L"\u00c9cran.scr");
    PutString(HKEY_CURRENT_USER, Scratch, L"Wide", L"\u00fcber.scr");
    EXPECT_EQ(Get(L"Wide"), L"\u00fcber.scr");
}

TEST_F(RegistryStrings, TextOutsideTheCodePageIsRefusedNotMangled) {
    // Best fit would store "Omega.scr", naming a file that does not exist.
    EXPECT_TRUE(SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Name", L"old.scr"));
    EXPECT_FALSE(SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Name", L"\u03a9mega.scr"));
    EXPECT_FALSE(SetRegistryString(HKEY_CURRENT_USER, Scratch, L"New", L"\u4e2d.scr"));
    EXPECT_EQ(ReadWide(HKEY_CURRENT_USER, Scratch, L"Name"), L"old.scr");
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, Scratch, L"New"));
    // Stored by someone else, such a name reads back exactly, not as "O.scr" or "?.scr".
    PutString(HKEY_CURRENT_USER, Scratch, L"Greek", L"\u03a9.scr");
    EXPECT_EQ(Get(L"Greek"), L"\u03a9.scr");
    PutString(HKEY_CURRENT_USER, Scratch, L"Mixed", L"a\u4e2d\u00e9?.scr");
    EXPECT_EQ(Get(L"Mixed"), L"a\u4e2d\u00e9?.scr");
}

TEST_F(RegistryStrings, TextsUpToTheReadLimitReadWholeLargerValuesGiveTheDefault) {
    const std::wstring longest(MaxRegistryText, L'x');
    EXPECT_TRUE(SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Longest", longest));
    EXPECT_EQ(Get(L"Longest"), longest);
    const std::wstring greek(MaxRegistryText, L'\u03a9'); // read back wide
    PutString(HKEY_CURRENT_USER, Scratch, L"Greek", greek);
    EXPECT_EQ(Get(L"Greek"), greek);

    EXPECT_TRUE(SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Longer", longest + L'x'));
    EXPECT_EQ(Get(L"Longer"), L"<default>");
    // Not read at all, though its text ends early: a value cannot be read in part.
    PutAnsiBytes(L"Padded", std::string("a\0", 2) + std::string(1 << 20, 'x'));
    EXPECT_EQ(Get(L"Padded"), L"<default>");
}

// On a multi-byte ANSI code page (932, or UTF-8 as Windows 10 offers it) a character can take
// two or three bytes in the ANSI calls: a name at the read limit still reads whole. The test
// command runs this in a process on code page 932 (QUILLMERE_EXPECTED_ACP).
class MultiByteCodePage : public RegistryStrings {};

TEST_F(MultiByteCodePage, TextsUpToTheReadLimitReadWhole) {
    if (const char* expected = std::getenv("QUILLMERE_EXPECTED_ACP")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)))
            << "the locale was not taken up";
    }
    CPINFO info{};
    ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
    if (info.MaxCharSize < 2) GTEST_SKIP() << "code page " << GetACP() << " is single-byte";
    const std::wstring longest(MaxRegistryText, L'\u3042'); // two bytes each in 932
    EXPECT_TRUE(SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Longest", longest));
    const std::wstring read = Get(L"Longest");
    EXPECT_TRUE(read == longest) << "read as " << read.size() << " characters"
                                 << (read == L"<default>" ? ", the default" : "");
}

TEST_F(RegistryStrings, DeleteRemovesOnlyThatValue) {
    SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Gone", L"1");
    SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Kept", L"2");
    EXPECT_TRUE(DeleteRegistryValue(HKEY_CURRENT_USER, Scratch, L"Gone"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, Scratch, L"Gone"));
    EXPECT_EQ(ReadWide(HKEY_CURRENT_USER, Scratch, L"Kept"), L"2");
}

TEST_F(RegistryStrings, DeletingWhatIsNotThereIsAccepted) {
    SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Kept", L"2");
    const KeySnapshot before = SnapshotKey(HKEY_CURRENT_USER, Scratch);
    EXPECT_TRUE(DeleteRegistryValue(HKEY_CURRENT_USER, Scratch, L"Missing"));
    EXPECT_TRUE(DeleteRegistryValue(HKEY_CURRENT_USER, Scratch + L"\\NoKey", L"Missing"));
    EXPECT_EQ(SnapshotKey(HKEY_CURRENT_USER, Scratch), before);
}

TEST_F(RegistryStrings, RefusedWritesAndDeletesReportFailureAndChangeNothing) {
    SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Name", L"old.scr");
    SetKeyDacl(HKEY_CURRENT_USER, Scratch, DenyWritesSddl);
    const KeySnapshot before = SnapshotKey(HKEY_CURRENT_USER, Scratch);
    ASSERT_FALSE(before.empty()) << "the key must stay readable";

    EXPECT_FALSE(SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Name", L"new.scr"));
    EXPECT_FALSE(SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Other", L"x"));
    EXPECT_FALSE(DeleteRegistryValue(HKEY_CURRENT_USER, Scratch, L"Name"));
    // Nothing had to change for a value that is not there, writable or not.
    EXPECT_TRUE(DeleteRegistryValue(HKEY_CURRENT_USER, Scratch, L"Missing"));
    EXPECT_EQ(SnapshotKey(HKEY_CURRENT_USER, Scratch), before);
    EXPECT_EQ(Get(L"Name"), L"old.scr");
}

TEST_F(RegistryStrings, UnreadableKeyGivesDefault) {
    SetRegistryString(HKEY_CURRENT_USER, Scratch, L"Name", L"old.scr");
    // Deny reading (KEY_READ) but keep WRITE_DAC, so the test can clean up.
    SetKeyDacl(HKEY_CURRENT_USER, Scratch, L"D:(D;;0x20019;;;WD)(A;;KA;;;WD)");
    EXPECT_EQ(Get(L"Name"), L"<default>");
}

} // namespace

#include "AnsiText.h"

#include <climits>

TEST(DecimalText, PlainDigitsAndASignOnlyWhenNegative) {
    EXPECT_EQ(DecimalText(0), L"0");
    EXPECT_EQ(DecimalText(600), L"600");
    EXPECT_EQ(DecimalText(-5), L"-5");
    EXPECT_EQ(DecimalText(1000000), L"1000000");
    EXPECT_EQ(DecimalText(INT_MAX), L"2147483647");
    EXPECT_EQ(DecimalText(INT_MIN), L"-2147483648");
}

#include "settings.h"
#include "Platform.h"
#include "TestRegistry.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using Names = std::vector<std::wstring>;

// A fresh folder under the prefix's temp folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        path_ = std::wstring(tmp) + L"quill-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter_++);
        RemoveTree(path_);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() { RemoveTree(path_); }
    const std::wstring& path() const { return path_; }
    void File(const std::wstring& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) const {
        HANDLE h = CreateFileW((path_ + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_NEW, attributes, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot create file";
        CloseHandle(h);
    }
    void Folder(const std::wstring& name) const {
        CreateDirectoryW((path_ + L"\\" + name).c_str(), nullptr);
    }

  private:
    static void RemoveTree(const std::wstring& dir) {
        WIN32_FIND_DATAW e;
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &e);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = e.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring full = dir + L"\\" + name;
                if (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(full);
                } else {
                    SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(full.c_str());
                }
            } while (FindNextFileW(h, &e));
            FindClose(h);
        }
        RemoveDirectoryW(dir.c_str());
    }
    std::wstring path_;
    static inline int counter_ = 0;
};

// The folder's own listing order, read independently of the code under test.
Names RawListing(const std::wstring& folder) {
    Names all;
    WIN32_FIND_DATAW e;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &e);
    if (h == INVALID_HANDLE_VALUE) return all;
    do
        all.emplace_back(e.cFileName);
    while (FindNextFileW(h, &e));
    FindClose(h);
    return all;
}

TEST(ScreenSaverNames, OnlyAnExactLowerCaseExtensionQualifies) {
    EXPECT_TRUE(IsScreenSaverName(L"a.scr"));
    EXPECT_TRUE(IsScreenSaverName(L".scr"));
    EXPECT_TRUE(IsScreenSaverName(L"two.dots.scr"));
    for (const wchar_t* name :
         {L"B.SCR", L"c.Scr", L"d.scR", L"x.scr.txt", L"scr", L"", L"a.sc", L"a.scr ", L"a_scr"})
        EXPECT_FALSE(IsScreenSaverName(name)) << name;
}

TEST(ScreenSaverListing, FiltersByExtensionAndSkipsFolders) {
    TempFolder dir;
    for (const wchar_t* name :
         {L"a.scr", L"B.SCR", L"c.Scr", L"x.scr.txt", L".scr", L"scr", L"notes.txt"})
        dir.File(name);
    dir.Folder(L"dir.scr");
    EXPECT_EQ(ListScreenSaverFilesIn(dir.path()), (Names{L".scr", L"a.scr"}));
}

TEST(ScreenSaverListing, KeepsTheFolderListingOrder) {
    TempFolder dir;
    for (const wchar_t* name :
         {L"zeta.scr", L"Alpha.scr", L"mid.scr", L"_under.scr", L"1.scr", L"beta.txt"})
        dir.File(name);
    Names expected;
    for (const auto& name : RawListing(dir.path()))
        if (name != L"beta.txt" && name != L"." && name != L"..") expected.push_back(name);
    EXPECT_EQ(ListScreenSaverFilesIn(dir.path()), expected);
}

TEST(ScreenSaverListing, HiddenSystemLongAndNonAnsiNamesAreListed) {
    TempFolder dir;
    dir.File(L"hidden.scr", FILE_ATTRIBUTE_HIDDEN);
    dir.File(L"system.scr", FILE_ATTRIBUTE_SYSTEM);
    const std::wstring longName = std::wstring(251, L'n') + L".scr";
    dir.File(longName);
    dir.File(L"\u03a9mega.scr");
    const Names found = ListScreenSaverFilesIn(dir.path());
    EXPECT_EQ(found.size(), 4u);
    for (const auto& name : {std::wstring(L"hidden.scr"), std::wstring(L"system.scr"), longName,
                             std::wstring(L"\u03a9mega.scr")})
        EXPECT_NE(std::find(found.begin(), found.end(), name), found.end());
}

TEST(ScreenSaverListing, EmptyMissingOrFileFolderGivesNothing) {
    TempFolder dir;
    EXPECT_TRUE(ListScreenSaverFilesIn(dir.path()).empty());
    EXPECT_TRUE(ListScreenSaverFilesIn(dir.path() + L"\\missing").empty());
    dir.File(L"plain.scr");
    EXPECT_TRUE(ListScreenSaverFilesIn(dir.path() + L"\\plain.scr").empty());
}

class SystemFolder : public ::testing::Test {
  protected:
    ValueBackup backup{WindowsVersionKey.root, WindowsVersionKey.path, L"SystemRoot"};
    void SetRoot(const std::wstring& text, DWORD type = REG_SZ) {
        PutString(WindowsVersionKey.root, WindowsVersionKey.path, L"SystemRoot", text, type);
    }
};

TEST_F(SystemFolder, PathIsTheSystemRootPlusSystem32) {
    SetRoot(L"C:\\windows");
    EXPECT_EQ(SystemFolderPath(), L"C:\\windows\\system32");
    SetRoot(L"%WINDIR%", REG_EXPAND_SZ);
    EXPECT_EQ(SystemFolderPath(), L"%WINDIR%\\system32");
    RegDeleteKeyValueW(WindowsVersionKey.root, WindowsVersionKey.path, L"SystemRoot");
    EXPECT_EQ(SystemFolderPath(), L"\\system32");
    const DWORD number = 1;
    PutRaw(WindowsVersionKey.root, WindowsVersionKey.path, L"SystemRoot", REG_DWORD, &number, 4);
    EXPECT_EQ(SystemFolderPath(), L"\\system32");
}

TEST_F(SystemFolder, ListsTheScreenSaversOfTheSystemFolder) {
    SetRoot(L"C:\\windows");
    const std::wstring planted = NativeSystemFolder() + L"\\quilltest.scr";
    HANDLE h = CreateFileW(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    const Names found = ListScreenSaverFiles();
    DeleteFileW(planted.c_str());
    EXPECT_NE(std::find(found.begin(), found.end(), L"quilltest.scr"), found.end());

    TempFolder dir;
    dir.File(L"system32");
    SetRoot(dir.path()); // a system folder that is a file
    EXPECT_TRUE(ListScreenSaverFiles().empty());
    SetRoot(dir.path() + L"\\missing");
    EXPECT_TRUE(ListScreenSaverFiles().empty());
}

double SecondsToList(const std::wstring& folder, size_t expected) {
    const auto start = std::chrono::steady_clock::now();
    const size_t found = ListScreenSaverFilesIn(folder).size();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(found, expected);
    return took.count();
}

// Not a benchmark: only a guard against anything quadratic in the listing. Wine creates files
// in quadratic time itself, so the folders are made beforehand from outside (make-folders.sh).
TEST(ScreenSaverListing, HundredThousandFilesListInLinearTime) {
    const std::wstring small = L"C:\\quillmere-listing\\10000";
    const std::wstring large = L"C:\\quillmere-listing\\100000";
    ASSERT_NE(GetFileAttributesW(large.c_str()), INVALID_FILE_ATTRIBUTES) << "folders not made";
    double tSmall = 1e9, tLarge = 1e9;
    for (int run = 0; run < 3; ++run) {
        tSmall = std::min(tSmall, SecondsToList(small, 500));
        tLarge = std::min(tLarge, SecondsToList(large, 5000));
    }
    // Ten times the files: a linear listing takes about ten times as long, a quadratic one 100.
    EXPECT_LT(tLarge, 30 * tSmall + 0.05) << "10k: " << tSmall << " s, 100k: " << tLarge << " s";
    EXPECT_LT(tLarge, 20.0);
}

// Past the cap, exactly the first 32,767 screen savers in listing order.
TEST(ScreenSaverListing, AFolderPastTheCapGivesItsFirstNames) {
    const std::wstring folder = L"C:\\quillmere-listing\\cap";
    Names expected;
    for (const auto& name : RawListing(folder))
        if (name != L"." && name != L"..") expected.push_back(name);
    ASSERT_GT(expected.size(), MaxScreenSaverNames) << "folders not made";
    expected.resize(MaxScreenSaverNames);
    const Names listed = ListScreenSaverFilesIn(folder);
    EXPECT_EQ(listed.size(), MaxScreenSaverNames);
    EXPECT_TRUE(listed == expected) << "not the first names in listing order";
}

} // namespace

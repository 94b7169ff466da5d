#pragma once

#include <windows.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

// Test helpers that reach the registry through the wide calls, independently of the code under
// test.

struct RawValue {
    DWORD type = 0;
    std::vector<BYTE> data;
    bool operator==(const RawValue&) const = default;
};
using KeySnapshot = std::map<std::wstring, RawValue>;

// Strings as their text, anything else as its type and size, in test failure messages.
void PrintTo(const RawValue& value, std::ostream* os);

// A REG_SZ value as the registry holds the text: UTF-16 with its terminating NUL.
RawValue SzValue(const std::wstring& text);

// Every value of a key; empty when the key cannot be opened.
KeySnapshot SnapshotKey(HKEY root, const std::wstring& path);

// The logon desktop key of the test prefix, under HKEY_USERS.
inline const std::wstring DesktopKey = L".DEFAULT\\Control Panel\\Desktop";
// The state each test that uses the key starts from: no screen saver, inactive, 42 seconds.
void ResetDesktopKey();

void PutRaw(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
            const void* data, DWORD bytes);
void PutString(HKEY root, const std::wstring& path, const std::wstring& name,
               const std::wstring& text, DWORD type = REG_SZ);
bool ValueExists(HKEY root, const std::wstring& path, const std::wstring& name);
std::wstring ReadWide(HKEY root, const std::wstring& path, const std::wstring& name);
void DeleteKeyTree(HKEY root, const std::wstring& path);

// Replaces the DACL of a key with one given in SDDL.
void SetKeyDacl(HKEY root, const std::wstring& path, const wchar_t* sddl);

// Denies everyone the right to set values and create sub-keys, keeping read and WRITE_DAC.
inline constexpr wchar_t DenyWritesSddl[] = L"D:(D;;0x6;;;WD)(A;;KA;;;WD)";
inline constexpr wchar_t AllowAllSddl[] = L"D:(A;;KA;;;WD)";

// Saves one value when made and puts it back (or removes it again) when destroyed.
class ValueBackup {
  public:
    ValueBackup(HKEY root, std::wstring path, std::wstring name);
    ValueBackup(const ValueBackup&) = delete;
    ValueBackup& operator=(const ValueBackup&) = delete;
    ~ValueBackup();

  private:
    HKEY root_;
    std::wstring path_, name_;
    bool existed_ = false;
    RawValue saved_;
};

// Saves a whole key (values and sub-keys) when made and puts it back when destroyed, so a test
// may change or delete it freely.
class KeyBackup {
  public:
    KeyBackup(HKEY root, std::wstring path);
    KeyBackup(const KeyBackup&) = delete;
    KeyBackup& operator=(const KeyBackup&) = delete;
    ~KeyBackup();

  private:
    HKEY root_;
    std::wstring path_;
    std::wstring backup_;
    bool existed_ = false;
};

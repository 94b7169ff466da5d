#include "TestRegistry.h"

#include <sddl.h>

#include <gtest/gtest.h>

void PrintTo(const RawValue& value, std::ostream* os) {
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) {
        *os << "type " << value.type << ", " << value.data.size() << " bytes";
        return;
    }
    std::wstring text(value.data.size() / sizeof(wchar_t), L'\0');
    memcpy(text.data(), value.data.data(), text.size() * sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    *os << (value.type == REG_SZ ? "REG_SZ \"" : "REG_EXPAND_SZ \"");
    for (wchar_t c : text.substr(0, 80))
        if (c >= 32 && c < 127)
            *os << static_cast<char>(c);
        else
            *os << "\\u" << std::hex << static_cast<unsigned>(c) << std::dec;
    *os << (text.size() > 80 ? "...\"" : "\"");
}

RawValue SzValue(const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return RawValue{REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

KeySnapshot SnapshotKey(HKEY root, const std::wstring& path) {
    KeySnapshot snap;
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return snap;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLen = 16384, type = 0, bytes = 0;
        if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
            break;
        RawValue v{type, std::vector<BYTE>(bytes)};
        nameLen = 16384;
        RegEnumValueW(key, i, name, &nameLen, nullptr, &type, v.data.data(), &bytes);
        snap[name] = v;
    }
    RegCloseKey(key);
    return snap;
}

void PutRaw(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
            const void* data, DWORD bytes) {
    HKEY key;
    ASSERT_EQ(
        RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void PutString(HKEY root, const std::wstring& path, const std::wstring& name,
               const std::wstring& text, DWORD type) {
    PutRaw(root, path, name, type, text.c_str(),
           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool ValueExists(HKEY root, const std::wstring& path, const std::wstring& name) {
    return RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, nullptr,
                        nullptr, nullptr) == ERROR_SUCCESS;
}

std::wstring ReadWide(HKEY root, const std::wstring& path, const std::wstring& name) {
    DWORD bytes = 0;
    if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return L"<absent>";
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
    text.resize(wcslen(text.c_str()));
    return text;
}

void DeleteKeyTree(HKEY root, const std::wstring& path) {
    SetKeyDacl(root, path, AllowAllSddl);
    RegDeleteTreeW(root, path.c_str());
    RegDeleteKeyW(root, path.c_str());
}

void SetKeyDacl(HKEY root, const std::wstring& path, const wchar_t* sddl) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) {
        EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
        LocalFree(sd);
    }
    RegCloseKey(key);
}

KeyBackup::KeyBackup(HKEY root, std::wstring path)
    : root_(root), path_(std::move(path)), backup_(L"Software\\QuillmereTestBackup") {
    DeleteKeyTree(HKEY_CURRENT_USER, backup_);
    HKEY source;
    existed_ = RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, &source) == ERROR_SUCCESS;
    if (!existed_) return;
    HKEY copy;
    RegCreateKeyExW(HKEY_CURRENT_USER, backup_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &copy, nullptr);
    EXPECT_EQ(RegCopyTreeW(source, nullptr, copy), ERROR_SUCCESS);
    RegCloseKey(copy);
    RegCloseKey(source);
}

KeyBackup::~KeyBackup() {
    DeleteKeyTree(root_, path_);
    if (!existed_) return;
    HKEY source, target;
    RegOpenKeyExW(HKEY_CURRENT_USER, backup_.c_str(), 0, KEY_READ, &source);
    RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr);
    RegCopyTreeW(source, nullptr, target);
    RegCloseKey(target);
    RegCloseKey(source);
    DeleteKeyTree(HKEY_CURRENT_USER, backup_);
}

ValueBackup::ValueBackup(HKEY root, std::wstring path, std::wstring name)
    : root_(root), path_(std::move(path)), name_(std::move(name)) {
    const KeySnapshot snap = SnapshotKey(root_, path_);
    const auto found = snap.find(name_);
    existed_ = found != snap.end();
    if (existed_) saved_ = found->second;
}

ValueBackup::~ValueBackup() {
    if (existed_)
        PutRaw(root_, path_, name_, saved_.type, saved_.data.data(),
               static_cast<DWORD>(saved_.data.size()));
    else
        RegDeleteKeyValueW(root_, path_.c_str(), name_.c_str());
}

void ResetDesktopKey() {
    RegDeleteKeyValueW(HKEY_USERS, DesktopKey.c_str(), L"SCRNSAVE.EXE");
    PutString(HKEY_USERS, DesktopKey, L"ScreenSaveActive", L"0");
    PutString(HKEY_USERS, DesktopKey, L"ScreenSaveTimeout", L"42");
}

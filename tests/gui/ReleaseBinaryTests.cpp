// Reads the exe under test: its size, and from its PE headers the hardening flags, the Windows
// version it claims, its entry point, section rights and imports.
#include "Driver.h"
#include "ShippedExes.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

struct PeFacts {
    size_t fileBytes = 0;
    WORD machine = 0, subsystem = 0;
    bool is64 = false;
    WORD dllCharacteristics = 0;
    WORD osMajor = 0, osMinor = 0, subsystemMajor = 0, subsystemMinor = 0;
    DWORD relocationBytes = 0;
    bool entryInCode = false; // inside a section of code, past its first byte
    std::vector<std::string> writableAndExecutable;
    bool readOnlyData = false; // .rdata there, and not writable
    std::vector<std::string> imports, functions;
};

template <class T> T At(const std::vector<char>& file, size_t offset) {
    T value{};
    if (offset + sizeof(T) <= file.size()) std::memcpy(&value, file.data() + offset, sizeof(T));
    return value;
}

PeFacts ReadPe(const std::wstring& path) {
    PeFacts facts;
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_GT(file.size(), 1024u) << "cannot read " << path;
    if (file.size() < 1024) return facts;
    facts.fileBytes = file.size();
    const size_t pe = At<LONG>(file, offsetof(IMAGE_DOS_HEADER, e_lfanew));
    EXPECT_EQ(At<DWORD>(file, pe), IMAGE_NT_SIGNATURE);
    const auto header = At<IMAGE_FILE_HEADER>(file, pe + 4);
    facts.machine = header.Machine;
    const size_t optional = pe + 4 + sizeof(IMAGE_FILE_HEADER);
    facts.is64 = At<WORD>(file, optional) == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    IMAGE_DATA_DIRECTORY imports{}, relocations{};
    DWORD entry = 0;
    // The same fields in either header's layout.
    const auto take = [&](const auto& o) {
        facts.dllCharacteristics = o.DllCharacteristics;
        facts.subsystem = o.Subsystem;
        facts.osMajor = o.MajorOperatingSystemVersion;
        facts.osMinor = o.MinorOperatingSystemVersion;
        facts.subsystemMajor = o.MajorSubsystemVersion;
        facts.subsystemMinor = o.MinorSubsystemVersion;
        entry = o.AddressOfEntryPoint;
        imports = o.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        relocations = o.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
    };
    if (facts.is64)
        take(At<IMAGE_OPTIONAL_HEADER64>(file, optional));
    else
        take(At<IMAGE_OPTIONAL_HEADER32>(file, optional));
    facts.relocationBytes = relocations.Size;

    std::vector<IMAGE_SECTION_HEADER> sections(header.NumberOfSections);
    for (size_t i = 0; i < sections.size(); ++i) {
        sections[i] = At<IMAGE_SECTION_HEADER>(file, optional + header.SizeOfOptionalHeader +
                                                         i * sizeof(IMAGE_SECTION_HEADER));
        const DWORD rights = sections[i].Characteristics;
        const std::string name(reinterpret_cast<const char*>(sections[i].Name),
                               strnlen(reinterpret_cast<const char*>(sections[i].Name), 8));
        if ((rights & IMAGE_SCN_MEM_WRITE) && (rights & IMAGE_SCN_MEM_EXECUTE))
            facts.writableAndExecutable.push_back(name);
        if (name == ".rdata") facts.readOnlyData = !(rights & IMAGE_SCN_MEM_WRITE);
        if (entry >= sections[i].VirtualAddress &&
            entry < sections[i].VirtualAddress + sections[i].Misc.VirtualSize)
            facts.entryInCode =
                entry != sections[i].VirtualAddress && (rights & IMAGE_SCN_CNT_CODE);
    }
    const auto offsetOf = [&](DWORD rva) -> size_t {
        for (const auto& s : sections)
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize)
                return rva - s.VirtualAddress + s.PointerToRawData;
        return 0;
    };
    for (size_t at = offsetOf(imports.VirtualAddress); at; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto entry = At<IMAGE_IMPORT_DESCRIPTOR>(file, at);
        if (entry.Name == 0) break;
        const size_t name = offsetOf(entry.Name);
        std::string dll(file.data() + name, strnlen(file.data() + name, file.size() - name));
        std::transform(dll.begin(), dll.end(), dll.begin(), ::tolower);
        facts.imports.push_back(dll);
        // The names it takes from the DLL, through its lookup table: one thunk each, a name's
        // hint-and-name entry unless the top bit asks by number.
        const size_t thunk = facts.is64 ? 8 : 4;
        for (size_t t = offsetOf(entry.OriginalFirstThunk); t; t += thunk) {
            const ULONGLONG value = facts.is64 ? At<ULONGLONG>(file, t) : At<DWORD>(file, t);
            if (value == 0) break;
            const bool byNumber = value >> (facts.is64 ? 63 : 31);
            const size_t at = byNumber ? 0 : offsetOf(static_cast<DWORD>(value)) + 2;
            facts.functions.push_back(
                !at ? dll + " #number"
                    : std::string(file.data() + at, strnlen(file.data() + at, file.size() - at)));
        }
    }
    return facts;
}

// Every function the exe imports, each documented for Windows 7 or earlier: Windows refuses to
// start an exe that imports one it lacks. Add one here only once its documentation says so;
// newer ones are looked up while the program runs.
const char* const Windows7Functions =
    " GetTokenInformation OpenProcessToken RegCloseKey RegCreateKeyA RegDeleteValueA"
    " RegOpenKeyA RegQueryValueExA RegQueryValueExW RegSetValueExA CreateFontW CreateSolidBrush"
    " DeleteObject GetDeviceCaps GetTextFaceW GetTextMetricsW SelectObject SetBkColor"
    " SetTextColor CloseHandle CompareStringOrdinal CreateThread ExitProcess FindClose"
    " FindFirstFileExW FindNextFileW FindResourceW GetACP GetCurrentProcess GetModuleHandleW"
    " GetProcAddress GetSystemDirectoryW GetTickCount LoadLibraryW LoadResource LockResource"
    " MulDiv MultiByteToWideChar SetDllDirectoryW SizeofResource TerminateProcess"
    " WideCharToMultiByte lstrcmpiW abort free malloc memcmp memcpy memmove memset wcslen"
    " AdjustWindowRectEx AppendMenuW BeginDeferWindowPos BeginPaint CallWindowProcW CreateMenu"
    " CreatePopupMenu CreateWindowExW DefWindowProcW DeferWindowPos DestroyIcon DestroyWindow"
    " DispatchMessageW DrawEdge DrawFocusRect DrawIconEx DrawTextW EnableWindow"
    " EndDeferWindowPos EndPaint FillRect GetAncestor GetCapture GetClassInfoExW GetClientRect"
    " GetDC GetDlgCtrlID GetFocus GetMenu GetMessageW GetMonitorInfoW GetNextDlgTabItem"
    " GetParent GetPropW GetSysColor GetSysColorBrush GetSystemMetrics GetWindowLongW"
    " GetWindowLongPtrW GetWindowRect GetWindowTextLengthW GetWindowTextW InflateRect"
    " InvalidateRect IsChild IsDialogMessageW IsWindow IsWindowEnabled LoadCursorW LoadIconW"
    " LoadImageW MessageBoxW MonitorFromWindow MsgWaitForMultipleObjectsEx PeekMessageW"
    " PostMessageW PostQuitMessage PtInRect RegisterClassExW ReleaseCapture ReleaseDC"
    " RemovePropW SendMessageW SetCapture SetCursor SetFocus SetPropW SetWindowLongW"
    " SetWindowLongPtrW SetWindowPos SetWindowTextW ShowWindow SystemParametersInfoW"
    " TranslateMessage UpdateWindow ";

void ExpectHardened(const std::wstring& path, bool is64) {
    SCOPED_TRACE(path);
    const PeFacts pe = ReadPe(path);
    // Small as a hand-written tool: a stray container, exception or start-up code grows it.
    EXPECT_LE(pe.fileBytes, is64 ? 45056u : 40960u) << "bytes";
    EXPECT_EQ(pe.machine, is64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(pe.is64, is64);
    EXPECT_EQ(pe.subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    // The program's own entry point. Not told which, or told of one it lacks, ld writes 0 or the
    // start of the code, silently.
    EXPECT_TRUE(pe.entryInCode) << "the entry point is 0, outside the code or at its start";
    EXPECT_TRUE(pe.dllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) << "no DEP";
    EXPECT_TRUE(pe.dllCharacteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) << "no ASLR";
    EXPECT_GT(pe.relocationBytes, 0u) << "ASLR needs relocations";
    // Windows 7 SP1 and later: an older system refuses to start it.
    EXPECT_EQ(pe.osMajor * 100 + pe.osMinor, 601) << "operating system version";
    EXPECT_EQ(pe.subsystemMajor * 100 + pe.subsystemMinor, 601) << "subsystem version";
    if (is64) {
        EXPECT_TRUE(pe.dllCharacteristics & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA);
    }
    EXPECT_TRUE(pe.writableAndExecutable.empty())
        << "writable and executable: " << pe.writableAndExecutable.front();
    // Some linker scripts move constants into the writable data, silently.
    EXPECT_TRUE(pe.readOnlyData) << ".rdata missing or writable";
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
                                          "msvcrt.dll"};
    EXPECT_FALSE(pe.imports.empty());
    for (const auto& dll : pe.imports)
        EXPECT_TRUE(system.count(dll)) << "imports " << dll;
    for (const auto& function : pe.functions)
        EXPECT_NE(std::string(Windows7Functions).find(" " + function + " "), std::string::npos)
            << "imports " << function << ", not known to be in Windows 7 SP1";
}

class ReleaseBinary : public testing::TestWithParam<ShippedExe> {};

TEST_P(ReleaseBinary, IsSmallHardenedForWindows7AndImportsOnlySystemDlls) {
    ExpectHardened(WindowsPath(GetParam().path), GetParam().is64);
}

INSTANTIATE_TEST_SUITE_P(, ReleaseBinary, testing::ValuesIn(ShippedExes()), ShippedExeName);

} // namespace

// Measures Quillmere against the same window without its logic, and for context against the
// floor Wine itself sets, side by side in one run, and prints a table of medians.
// Usage: bench.exe QUILLMERE_EXE MINIMAL_EXE MINIMAL_WITH_MANIFEST_EXE SAME_WINDOW_EXE [RUNS]
//        bench.exe --pairs RUNS LABEL=EXE...  (start-up and memory against the first)
#include "settings.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct FindArgs {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lp) {
    auto* args = reinterpret_cast<FindArgs*>(lp);
    DWORD pid = 0;
    wchar_t name[64] = {};
    GetWindowThreadProcessId(hwnd, &pid);
    GetClassNameW(hwnd, name, 64);
    if (pid != args->pid) return TRUE;
    // No class given: whichever window holds the screen-saver chooser.
    if (args->className ? wcscmp(name, args->className) != 0 : !GetDlgItem(hwnd, 100)) return TRUE;
    args->found = hwnd;
    return FALSE;
}

// Answers a sent message only from its message loop, so a reply means the load is over.
bool Responds(HWND hwnd) {
    DWORD_PTR result;
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
}

std::wstring Text(HWND hwnd) {
    wchar_t text[512] = {};
    SendMessageW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

struct Sample {
    double seconds = 0;
    double workingSetKb = 0;
    double privateKb = 0;
};

// Starts a program and times it until it is ready: its window is there, answers from its
// message loop, and, where asked, shows a filled chooser with Apply disabled.
Sample StartAndMeasure(const std::wstring& exe, const wchar_t* className, bool chooser) {
    Sample sample;
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const double start = Now();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi)) {
        std::fprintf(stderr, "cannot start %ls\n", exe.c_str());
        std::exit(1);
    }
    HWND window = nullptr;
    for (;;) {
        FindArgs args{pi.dwProcessId, className, nullptr};
        EnumWindows(FindProc, reinterpret_cast<LPARAM>(&args));
        if ((window = args.found) && Responds(window)) {
            if (!chooser) break;
            HWND combo = GetDlgItem(window, 100), apply = GetDlgItem(window, 102);
            if (SendMessageW(combo, CB_GETCOUNT, 0, 0) > 0 && Text(combo) != L"Combo1" &&
                !IsWindowEnabled(apply))
                break;
        }
        if (Now() - start > 30) {
            std::fprintf(stderr, "%ls never became ready\n", exe.c_str());
            std::exit(1);
        }
        Sleep(0);
    }
    sample.seconds = Now() - start;
    Sleep(200); // settle before reading memory
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
        sample.workingSetKb = static_cast<double>(memory.WorkingSetSize) / 1024;
        sample.privateKb = static_cast<double>(memory.PrivateUsage) / 1024;
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return sample;
}

// The floor for a listing: the same directory read with nothing done per file.
size_t RawCount(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    size_t count = 0;
    if (find == INVALID_HANDLE_VALUE) return count;
    do
        ++count;
    while (FindNextFileW(find, &entry));
    FindClose(find);
    return count;
}

void SetSystemRoot(const std::wstring& root) {
    HKEY key;
    RegOpenKeyExW(WindowsVersionKey.root, WindowsVersionKey.path, 0, KEY_SET_VALUE, &key);
    RegSetValueExW(key, L"SystemRoot", 0, REG_SZ, reinterpret_cast<const BYTE*>(root.c_str()),
                   static_cast<DWORD>((root.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// Calls measure(i) for each of count programs, in a new order each round, so that no program
// always goes first or after another.
template <class Measure> void InShuffledOrder(size_t count, Measure measure) {
    static std::mt19937 shuffle(7);
    std::vector<size_t> order(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), shuffle);
    for (const size_t i : order)
        measure(i);
}

// Start-up and memory of each program against the first, started in turn so that each pair
// sees the same machine. Arguments: LABEL=EXE, the reference first.
int ComparePrograms(int runs, int count, wchar_t** programs) {
    std::vector<std::wstring> labels, exes;
    for (int i = 0; i < count; ++i) {
        const std::wstring arg = programs[i];
        const size_t at = arg.find(L'=');
        labels.push_back(arg.substr(0, at));
        exes.push_back(at == std::wstring::npos ? arg : arg.substr(at + 1));
        StartAndMeasure(exes.back(), nullptr, true); // warm the file cache once each
    }
    std::vector<std::vector<double>> time(exes.size()), ratio(exes.size()), ws(exes.size()),
        wsRatio(exes.size());
    for (int run = 0; run < runs; ++run) {
        std::vector<Sample> samples(exes.size());
        InShuffledOrder(exes.size(),
                        [&](size_t i) { samples[i] = StartAndMeasure(exes[i], nullptr, true); });
        for (size_t i = 0; i < exes.size(); ++i) {
            time[i].push_back(samples[i].seconds * 1000);
            ratio[i].push_back(samples[i].seconds / samples[0].seconds);
            ws[i].push_back(samples[i].workingSetKb);
            wsRatio[i].push_back(samples[i].workingSetKb / samples[0].workingSetKb);
        }
    }
    std::printf("| program | start-up to ready, ms | / %ls (median of pairs) | working set, KB | "
                "/ %ls |\n|---|---|---|---|---|\n",
                labels[0].c_str(), labels[0].c_str());
    for (size_t i = 0; i < exes.size(); ++i)
        std::printf("| %ls | %.1f | %.3f | %.0f | %.3f |\n", labels[i].c_str(), Median(time[i]),
                    Median(ratio[i]), Median(ws[i]), Median(wsRatio[i]));
    std::printf("start-up runs: %d rounds\n", runs);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 3 && std::wstring(argv[1]) == L"--pairs")
        return ComparePrograms(_wtoi(argv[2]), argc - 3, argv + 3);
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: bench QUILLMERE_EXE MINIMAL_EXE MINIMAL_MANIFEST_EXE "
                     "SAME_WINDOW_EXE [RUNS]\n"
                     "       bench --pairs RUNS LABEL=EXE... (the first is the reference)\n");
        return 2;
    }
    const int runs = argc > 5 ? _wtoi(argv[5]) : 21;

    // Start-up and memory, the two programs in turn so that both see the same machine.
    std::vector<double> appTime, minTime, ratio, appWs, minWs, appPriv, minPriv, wsRatio;
    std::vector<double> cc6Time, cc6Ratio, cc6Ws;
    std::vector<double> sameTime, sameRatio, sameWs, sameWsRatio;
    StartAndMeasure(argv[1], L"QuillmereMain", true); // warm the file cache once each
    StartAndMeasure(argv[4], L"SameWindow", true);
    StartAndMeasure(argv[2], L"MinimalWindow", false);
    StartAndMeasure(argv[3], L"MinimalWindow", false);
    // Quillmere, the bare window, the bare window with the manifest, the same window.
    const wchar_t* const classes[] = {L"QuillmereMain", L"MinimalWindow", L"MinimalWindow",
                                      L"SameWindow"};
    const bool chooser[] = {true, false, false, true};
    for (int i = 0; i < runs; ++i) {
        Sample samples[4];
        InShuffledOrder(4, [&](size_t p) {
            samples[p] = StartAndMeasure(argv[p + 1], classes[p], chooser[p]);
        });
        const Sample &app = samples[0], &floor = samples[1], &cc6 = samples[2], &same = samples[3];
        sameTime.push_back(same.seconds * 1000);
        sameRatio.push_back(app.seconds / same.seconds);
        sameWs.push_back(same.workingSetKb);
        sameWsRatio.push_back(same.workingSetKb > 0 ? app.workingSetKb / same.workingSetKb : 0);
        cc6Time.push_back(cc6.seconds * 1000);
        cc6Ratio.push_back(app.seconds / cc6.seconds);
        cc6Ws.push_back(cc6.workingSetKb);
        minTime.push_back(floor.seconds * 1000);
        appTime.push_back(app.seconds * 1000);
        ratio.push_back(app.seconds / floor.seconds);
        minWs.push_back(floor.workingSetKb);
        appWs.push_back(app.workingSetKb);
        minPriv.push_back(floor.privateKb);
        appPriv.push_back(app.privateKb);
        wsRatio.push_back(floor.workingSetKb > 0 ? app.workingSetKb / floor.workingSetKb : 0);
    }

    // Listing scale through the real entry point, the system root pointed at each folder.
    const wchar_t* sizes[] = {L"1000", L"10000", L"100000"};
    double perFile[3] = {}, total[3] = {}, raw[3] = {};
    wchar_t savedRoot[MAX_PATH] = {};
    DWORD savedBytes = sizeof savedRoot;
    RegGetValueW(WindowsVersionKey.root, WindowsVersionKey.path, L"SystemRoot", RRF_RT_REG_SZ,
                 nullptr, savedRoot, &savedBytes);
    for (int s = 0; s < 3; ++s) {
        SetSystemRoot(std::wstring(L"C:\\quillmere-bench\\") + sizes[s]);
        std::vector<double> times;
        for (int i = 0; i < 11; ++i) {
            const double start = Now();
            const size_t found = ListScreenSaverFiles().size();
            times.push_back(Now() - start);
            if (found != static_cast<size_t>(_wtoi(sizes[s]) / 20)) {
                std::fprintf(stderr, "listing %ls found %zu\n", sizes[s], found);
                return 1;
            }
        }
        total[s] = Median(times);
        std::vector<double> rawTimes;
        const std::wstring folder =
            std::wstring(L"C:\\quillmere-bench\\") + sizes[s] + L"\\system32";
        for (int i = 0; i < 11; ++i) {
            const double start = Now();
            RawCount(folder);
            rawTimes.push_back(Now() - start);
        }
        raw[s] = Median(rawTimes);
        perFile[s] = total[s] / _wtoi(sizes[s]) * 1e9;
    }
    SetSystemRoot(savedRoot);

    std::printf("| measure | Quillmere | same window | ratio (median of pairs) | target |\n");
    std::printf("|---|---|---|---|---|\n");
    std::printf("| start-up to ready, ms | %.1f | %.1f | %.3f | <= 1.05 |\n", Median(appTime),
                Median(sameTime), Median(sameRatio));
    std::printf("| working set, KB | %.0f | %.0f | %.3f | <= 1.05 |\n", Median(appWs),
                Median(sameWs), Median(sameWsRatio));
    if (Median(minPriv) <= 0) std::printf("| private bytes | not reported by Wine | | | |\n");

    std::printf("\nFor context, the bare window (no manifest, no controls) and the same with "
                "Quillmere's manifest (common controls 6):\n\n");
    std::printf("| yardstick | start-up, ms | Quillmere / it | working set, KB | Quillmere / it "
                "|\n|---|---|---|---|---|\n");
    std::printf("| bare window | %.1f | %.3f | %.0f | %.3f |\n", Median(minTime), Median(ratio),
                Median(minWs), Median(wsRatio));
    std::printf("| bare window, manifest | %.1f | %.3f | %.0f | %.3f |\n", Median(cc6Time),
                Median(cc6Ratio), Median(cc6Ws), Median(appWs) / Median(cc6Ws));
    std::printf("\n| files | ListScreenSaverFiles, ms | per file, ns | bare directory read, ms | "
                "ratio |\n|---|---|---|---|---|\n");
    for (int s = 0; s < 3; ++s)
        std::printf("| %ls | %.2f | %.0f | %.2f | %.3f |\n", sizes[s], total[s] * 1000, perFile[s],
                    raw[s] * 1000, total[s] / raw[s]);
    std::printf("\nlisting 100,000 / 10,000 files: %.2f times (target <= 12); the bare read: "
                "%.2f times\n",
                total[2] / total[1], raw[2] / raw[1]);
    std::printf("start-up runs: %d pairs\n", runs);
    return 0;
}

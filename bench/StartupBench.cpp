// StartupBench.cpp - the program's start, timed from outside, against a minimal windowed lister
// doing the same work in the same rounds.
//
// With N entries seeded into the current user's Uninstall key of the benchmark's prefix (one in
// twenty without a "DisplayName", as on a real machine), each round starts, one after the other
// (in turn first and second, so that neither always follows the other):
//   - the program, timed from CreateProcess until its main window is visible with every entry in
//     its tree; then it is closed;
//   - the minimal windowed lister (bench/startup/MinimalLister.cpp): the same registry
//     reads, then one window with one tree view holding the two roots and every name read, with
//     no visual style and no resources, timed the same way.
// N is 300 (a real machine's list is 100 to 500 entries) and 5,000. The first round of each
// loads every file into the caches and is not counted. Every registry call and every window
// operation is a round trip to the Wine server, whose cost moves with the machine's load (the
// host's as much as this machine's): the median and the spread of the rounds are printed, and the
// ratio of each round's two runs, since both runs of a round see nearly the same load.
#include "bench/BenchSupport.h"
#include "bench/Benchmarks.h"
#include "bench/startup/RegistryWork.h"
#include "tests/support/TestPrefix.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr char kSeedSuffix[] = "-STARTUP-BENCH}";
constexpr char kProgramClass[] = "Ordanel.MainForm";

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::string BenchFolder() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\'));
}

// --- Seeding ---------------------------------------------------------------------------------

std::vector<std::string> SeededNames() {
    std::vector<std::string> names;
    HKEY uninstall = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, bench::kUninstallPath, 0, KEY_READ, &uninstall) !=
        ERROR_SUCCESS)
        return names;
    char name[256];
    DWORD length = sizeof name;
    for (DWORD i = 0; ::RegEnumKeyExA(uninstall, i, name, &length, nullptr, nullptr, nullptr,
                                      nullptr) == ERROR_SUCCESS;
         ++i, length = sizeof name) {
        std::string s = name;
        if (s.size() > sizeof kSeedSuffix && s.ends_with(kSeedSuffix))
            names.push_back(s);
    }
    ::RegCloseKey(uninstall);
    return names;
}

void RemoveSeeded() {
    for (const std::string& name : SeededNames())
        ::RegDeleteTreeA(HKEY_CURRENT_USER,
                         (std::string(bench::kUninstallPath) + "\\" + name).c_str());
}

void Seed(int entries) {
    testsupport::RequireTestPrefix("seed the Uninstall key for the start-up benchmark");
    RemoveSeeded();
    HKEY uninstall = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, bench::kUninstallPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &uninstall, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the Uninstall key");
    for (int i = 0; i < entries; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "{%08X%s", i * 2654435761u, kSeedSuffix);
        bench::SeedEntry(uninstall, 0, name, i, i % 20 != 19);
    }
    ::RegCloseKey(uninstall);
}

// --- Processes -------------------------------------------------------------------------------

/// A started process; killed if it still runs when this goes.
class Process {
public:
    Process(const std::string& exe, const std::string& arguments, bool inheritHandles) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
        if (!::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, inheritHandles, 0,
                              nullptr, nullptr, &startup, &info_))
            throw std::runtime_error("cannot start " + exe);
    }
    ~Process() {
        if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(info_.hProcess, 99);
            ::WaitForSingleObject(info_.hProcess, 5000);
        }
        ::CloseHandle(info_.hProcess);
        ::CloseHandle(info_.hThread);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    HANDLE Handle() const noexcept { return info_.hProcess; }
    DWORD Id() const noexcept { return info_.dwProcessId; }
    /// The exit code, or -1 when it has not ended within the time.
    long WaitForExit(DWORD timeoutMs = 30000) const {
        if (::WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        ::GetExitCodeProcess(info_.hProcess, &code);
        return static_cast<long>(code);
    }

private:
    PROCESS_INFORMATION info_{};
};

/// The visible top-level window of the process with that class, waiting for it; null when the
/// process ended first. The search asks the server as little as possible (one class-filtered list
/// and the checks of the few windows of that class), since the process being timed makes its own
/// round trips to the same server meanwhile.
HWND WaitForVisibleWindow(const Process& process, const char* className) {
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < deadline) {
        for (HWND w = ::FindWindowExA(nullptr, nullptr, className, nullptr); w;
             w = ::FindWindowExA(nullptr, w, className, nullptr)) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(w, &owner);
            if (owner == process.Id() && ::IsWindowVisible(w))
                return w;
        }
        if (::WaitForSingleObject(process.Handle(), 1) == WAIT_OBJECT_0)
            return nullptr;
    }
    return nullptr;
}

void Close(const Process& process, HWND window) {
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    process.WaitForExit();
}

struct Paths {
    std::string program, lister;
};

/// The number of items of the first tree view of window.
LRESULT TreeCount(HWND window) {
    HWND tree = ::FindWindowExA(window, nullptr, WC_TREEVIEWA, nullptr);
    return tree ? ::SendMessageA(tree, TVM_GETCOUNT, 0, 0) : 0;
}

/// From the start of exe until its window of windowClass shows its tree with every entry with a
/// name and the two roots; closes it then and checks that it ends with the exit code expected.
double TimeLaunch(const std::string& exe, const char* windowClass, int listed, long exitCode,
                  bool& wrong) {
    auto start = Clock::now();
    Process process(exe, "", false);
    HWND window = WaitForVisibleWindow(process, windowClass);
    double seconds = Seconds(Clock::now() - start);
    if (!window) {
        wrong = true;
        return seconds;
    }
    wrong |= TreeCount(window) != listed + 2;
    Close(process, window);
    wrong |= process.WaitForExit() != exitCode;
    return seconds;
}

// The program ends with 0; the lister's exit code is the number of names it read.
double TimeProgram(const Paths& paths, int listed, bool& wrong) {
    return TimeLaunch(paths.program, kProgramClass, listed, 0, wrong);
}

double TimeLister(const Paths& paths, int listed, bool& wrong) {
    return TimeLaunch(paths.lister, bench::kListerClass, listed, listed, wrong);
}

struct Series {
    std::vector<double> runs;
    // Every series holds at least one run (Measure counts one round or more).
    double Fastest() const { return *std::min_element(runs.begin(), runs.end()); }
    /// The middle run, or the mean of the two middle ones of an even number.
    double Median() const {
        std::vector<double> sorted = runs;
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
    double Slowest() const { return *std::max_element(runs.begin(), runs.end()); }
};

/// The ratio of each round's runs: how much the load of the moment moves one comparison.
Series PerRound(const Series& a, const Series& b) {
    Series ratios;
    for (size_t i = 0; i < a.runs.size(); ++i)
        ratios.runs.push_back(a.runs[i] / b.runs[i]);
    return ratios;
}

/// The entries of the benchmark in the Uninstall key for its lifetime, removed also when a run
/// fails.
class SeededEntries {
public:
    explicit SeededEntries(int entries) { Seed(entries); }
    ~SeededEntries() { RemoveSeeded(); }
    SeededEntries(const SeededEntries&) = delete;
    SeededEntries& operator=(const SeededEntries&) = delete;
};

void Measure(const Paths& paths, int entries, int rounds) {
    Series program, lister;
    bool wrong = false;
    int listed = 0;
    {
        SeededEntries seeded(entries);
        listed = bench::ReadUninstallEntries();
        for (int round = 0; round <= rounds; ++round) {
            double p = 0, l = 0;
            if (round % 2 == 0) {
                p = TimeProgram(paths, listed, wrong);
                l = TimeLister(paths, listed, wrong);
            } else {
                l = TimeLister(paths, listed, wrong);
                p = TimeProgram(paths, listed, wrong);
            }
            if (round == 0)
                continue;
            program.runs.push_back(p);
            lister.runs.push_back(l);
        }
    }
    std::printf("startup: N=%d entries (%d with a name in all scopes), %d rounds, from "
                "CreateProcess until the window shows its tree; median [fastest .. slowest]\n",
                entries, listed, rounds);
    auto line = [](const char* what, const Series& s) {
        std::printf("startup:   %-44s %.3f s  [%.3f .. %.3f]\n", what, s.Median(), s.Fastest(),
                    s.Slowest());
    };
    line("Ordanel", program);
    line("minimal windowed lister (same reads)", lister);
    const Series ratios = PerRound(program, lister);
    std::printf("startup:   ratio Ordanel / lister: of the medians %.2f; within each round %.2f "
                "[%.2f .. %.2f]\n",
                program.Median() / lister.Median(), ratios.Median(), ratios.Fastest(),
                ratios.Slowest());
    if (wrong)
        std::printf("startup: WRONG RESULT: a process listed another number of entries, showed no "
                    "window or ended badly\n");
}

} // namespace

void RunStartupBench() {
    try {
        const std::string folder = BenchFolder();
        const Paths paths{folder + "\\..\\app\\Ordanel.exe",
                          folder + "\\ordanel_minimal_lister.exe"};
        // Even counts: each side goes first in as many counted rounds as the other.
        Measure(paths, 300, 16);
        Measure(paths, 5000, 8);
    } catch (const std::exception& e) {
        std::printf("startup: not measured: %s\n", e.what());
    }
}

// StartupBench.cpp - the program's start, timed from outside, against a bare process doing the
// same registry work.
//
// With N entries seeded into the current user's Uninstall key of the benchmark's prefix, each
// round starts, one after the other:
//   - an empty process, timed from CreateProcess until it has ended (the cost of a process);
//   - the bare process (bench/startup/BareStartup.cpp) reading every scope the program reads,
//     timed until it sets an event it inherited;
//   - the bare process again, timed until a plain top-level window of it is visible: the same
//     registry work plus what showing any window costs (the display connection, one window);
//   - the program, timed until its main window is visible; then it is closed.
// The bare process with a window is the fair floor: the program's job is to read those entries
// and show them in a window. The fastest of several alternating rounds is kept for each, since
// every registry call is a round trip to the Wine server, whose cost varies with the machine's
// load far more than the differences measured here; the ratio of the two runs of each round
// is printed too, as a measure of that noise.
//
// Where the program's time beyond the bare process goes (Wine 8, 5,000 entries, timestamps taken
// inside both processes): loading common controls 6 and the visual style before main (about
// 40 ms more than the bare process, which loads the visual style at its first window instead);
// the tree view measuring the caption of every child of the expanded roots when redrawing is
// switched back on (about 40 ms, 8 us an item inside the control; inserting costs about 1 us an
// item); the program's other windows, its image list and showing (about 15 ms). The registry
// calls themselves are the same as the bare process's, request for request.
#include "bench/Benchmarks.h"
#include "bench/startup/RegistryWork.h"
#include "tests/support/TestPrefix.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kEntries = 5000;
constexpr int kRounds = 7;
constexpr char kSeedSuffix[] = "-STARTUP-BENCH}";
constexpr char kProgramClass[] = "Ordanel.MainForm";
constexpr char kBareClass[] = "OrdanelBareStartup";

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
        char name[64], display[96];
        std::snprintf(name, sizeof name, "{%08X%s", i * 2654435761u, kSeedSuffix);
        std::snprintf(display, sizeof display, "Benchmark Program %d (x64) 1.%d", i, i % 17);
        HKEY entry = nullptr;
        ::RegCreateKeyExA(uninstall, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &entry, nullptr);
        ::RegSetValueExA(entry, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(display),
                         static_cast<DWORD>(std::strlen(display) + 1));
        ::RegSetValueExA(entry, "UninstallString", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>("C:\\x\\uninst.exe"), 16);
        ::RegCloseKey(entry);
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
    std::string program, bare, empty;
};

double TimeEmpty(const Paths& paths) {
    auto start = Clock::now();
    Process process(paths.empty, "", false);
    process.WaitForExit();
    return Seconds(Clock::now() - start);
}

double TimeBareSignal(const Paths& paths, int expected, bool& wrong) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE done = ::CreateEventA(&inherit, TRUE, FALSE, nullptr);
    auto start = Clock::now();
    Process process(paths.bare, "signal " + std::to_string(reinterpret_cast<uintptr_t>(done)),
                    true);
    HANDLE both[] = {done, process.Handle()};
    DWORD which = ::WaitForMultipleObjects(2, both, FALSE, 60000);
    double seconds = Seconds(Clock::now() - start);
    ::CloseHandle(done);
    long read = process.WaitForExit();
    wrong |= which != WAIT_OBJECT_0 || read != expected;
    return seconds;
}

double TimeBareWindow(const Paths& paths, int expected, bool& wrong) {
    auto start = Clock::now();
    Process process(paths.bare, "window", false);
    HWND window = WaitForVisibleWindow(process, kBareClass);
    double seconds = Seconds(Clock::now() - start);
    if (!window) {
        wrong = true;
        return seconds;
    }
    Close(process, window);
    wrong |= process.WaitForExit() != expected;
    return seconds;
}

double TimeProgram(const Paths& paths, bool& wrong) {
    auto start = Clock::now();
    Process process(paths.program, "", false);
    HWND window = WaitForVisibleWindow(process, kProgramClass);
    double seconds = Seconds(Clock::now() - start);
    if (!window) {
        wrong = true;
        return seconds;
    }
    // Every seeded entry is in the tree by the time the window shows, with the two roots.
    HWND tree = ::FindWindowExA(window, nullptr, WC_TREEVIEWA, nullptr);
    LRESULT nodes = tree ? ::SendMessageA(tree, TVM_GETCOUNT, 0, 0) : 0;
    wrong |= nodes < kEntries + 2;
    Close(process, window);
    wrong |= process.WaitForExit() != 0;
    return seconds;
}

struct Series {
    std::vector<double> runs;
    double Fastest() const { return *std::min_element(runs.begin(), runs.end()); }
    double Median() const {
        std::vector<double> sorted = runs;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
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

void Measure() {
    const std::string folder = BenchFolder();
    const Paths paths{folder + "\\..\\app\\Ordanel.exe", folder + "\\ordanel_bare_startup.exe",
                      folder + "\\ordanel_empty_process.exe"};
    Series empty, signal, window, program;
    bool wrong = false;
    int expected = 0;
    {
        SeededEntries seeded(kEntries);
        expected = bench::ReadUninstallEntries();
        // The first round loads every file into the caches and is not counted.
        for (int round = 0; round <= kRounds; ++round) {
            double e = TimeEmpty(paths);
            double s = TimeBareSignal(paths, expected, wrong);
            double w = TimeBareWindow(paths, expected, wrong);
            double p = TimeProgram(paths, wrong);
            if (round == 0)
                continue;
            empty.runs.push_back(e);
            signal.runs.push_back(s);
            window.runs.push_back(w);
            program.runs.push_back(p);
        }
    }

    std::printf("startup: N=%d entries (%d names read in all scopes); fastest of %d alternating "
                "rounds, from CreateProcess (median in brackets)\n",
                kEntries, expected, kRounds);
    auto line = [](const char* what, const Series& s) {
        std::printf("startup:   %-60s %.3f s  (%.3f s)\n", what, s.Fastest(), s.Median());
    };
    line("empty process, until it has ended", empty);
    line("bare process, registry work, until it signals", signal);
    line("bare process, registry work and a plain window, until shown", window);
    line("Ordanel, until its main window is visible", program);
    if (wrong)
        std::printf("startup: WRONG RESULT: a process read another number of entries, showed no "
                    "window or ended badly\n");
    auto ratio = [&](const char* what, const Series& floor) {
        Series rounds = PerRound(program, floor);
        std::printf("startup: ratio Ordanel / %s %.2f  (medians %.2f; within one round %.2f .. "
                    "%.2f .. %.2f)\n",
                    what, program.Fastest() / floor.Fastest(), program.Median() / floor.Median(),
                    rounds.Fastest(), rounds.Median(), rounds.Slowest());
    };
    ratio("bare process with window", window);
    ratio("bare registry work", signal);
}

} // namespace

void RunStartupBench() {
    try {
        Measure();
    } catch (const std::exception& e) {
        std::printf("startup: not measured: %s\n", e.what());
    }
}

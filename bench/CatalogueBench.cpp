// CatalogueBench.cpp - the catalogue build against the bare registry work it stands on.
//
// For N entries in the Uninstall keys of the bench's prefix (both views of the machine and the
// user's hive), it times TCatalogue::BuildCatalogue into a real tree view and, as the floor, the
// same registry calls in a tight loop without any tree (bench/startup/RegistryWork.h): for each
// key, open the Uninstall key, enumerate it, and for each entry open it below the Uninstall key,
// query the size of "DisplayName", read it and close it. Runs alternate, and the fastest run of
// each is kept: every call is a round trip to the registry server, whose cost varies with the
// machine's load far more than the difference measured here.
#include "bench/BenchSupport.h"
#include "bench/Benchmarks.h"
#include "bench/startup/RegistryWork.h"
#include "catalogue/Catalogue.h"
#include "tests/support/TestPrefix.h"
#include "ui/CatalogueTree.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

/// N entries in the Uninstall keys of the bench's own prefix: 40 % in the machine's 64-bit view,
/// 40 % in its 32-bit view, the rest for the user. Only the keys it created are deleted again.
class Scratch {
public:
    explicit Scratch(int entries) {
        testsupport::RequireTestPrefix("seed the Uninstall keys for the catalogue benchmark");
        const int machine = entries * 2 / 5, machine32 = entries * 2 / 5;
        Fill(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, 0, machine);
        Fill(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, machine, machine + machine32);
        Fill(HKEY_CURRENT_USER, 0, machine + machine32, entries);
    }
    ~Scratch() {
        for (const auto& [root, view, name] : created_)
            ::RegDeleteKeyExA(root, (std::string(kUninstall) + "\\" + name).c_str(), view, 0);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

private:
    void Fill(HKEY root, REGSAM view, int from, int to) {
        HKEY uninstall = nullptr;
        ::RegCreateKeyExA(root, kUninstall, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                          &uninstall, nullptr);
        for (int i = from; i < to; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "{%08X-BENCH-ENTRY}", i * 2654435761u);
            bench::SeedEntry(uninstall, view, name, i);
            created_.emplace_back(root, view, name);
        }
        ::RegCloseKey(uninstall);
    }
    std::vector<std::tuple<HKEY, REGSAM, std::string>> created_;
};

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

struct Result {
    double build, floor;
};

Result Measure(int entries, int rounds) {
    Scratch scratch(entries);
    std::vector<double> builds, floors;
    for (int round = 0; round < rounds; ++round) {
        auto t0 = std::chrono::steady_clock::now();
        int read = bench::ReadUninstallScope(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY) +
                   bench::ReadUninstallScope(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY) +
                   bench::ReadUninstallScope(HKEY_CURRENT_USER, 0);
        auto t1 = std::chrono::steady_clock::now();
        floors.push_back(Seconds(t1 - t0));

        bench::TreeBenchForm form;
        ui::TTreeCatalogue catalogue(*form.Tree);
        auto t2 = std::chrono::steady_clock::now();
        catalogue.BuildCatalogue();
        auto t3 = std::chrono::steady_clock::now();
        builds.push_back(Seconds(t3 - t2));
        // The prefix may hold entries of its own; both sides must see the same ones.
        if (read < entries || form.Tree->Count() != read + 2)
            std::printf("catalogue: WRONG RESULT: read %d, nodes %d, seeded %d\n", read,
                        form.Tree->Count() - 2, entries);
    }
    return {*std::min_element(builds.begin(), builds.end()),
            *std::min_element(floors.begin(), floors.end())};
}

} // namespace

namespace {
void MeasureCatalogue() {
    framework::RegisterStandardClasses();
    ::InitCommonControls();
    std::printf("catalogue: ANSI code page %u (the program's manifest asks for 65001)\n",
                ::GetACP());
    // Entries split over both views of the machine and the user's hive.
    const int sizes[] = {1000, 5000, 20000};
    const int rounds[] = {7, 7, 3};
    Result results[3];
    for (int i = 0; i < 3; ++i) {
        results[i] = Measure(sizes[i], rounds[i]);
        std::printf("catalogue: N=%d  BuildCatalogue %.3f s  bare registry work %.3f s  "
                    "ratio %.2f  (%.1f us per entry)\n",
                    sizes[i], results[i].build, results[i].floor,
                    results[i].build / results[i].floor, 1e6 * results[i].build / sizes[i]);
    }
    for (int i = 1; i < 3; ++i)
        std::printf("catalogue: growth from N=%d to N=%d: BuildCatalogue x%.2f, floor x%.2f "
                    "(linear: x%.2f)\n",
                    sizes[i - 1], sizes[i], results[i].build / results[i - 1].build,
                    results[i].floor / results[i - 1].floor,
                    static_cast<double>(sizes[i]) / sizes[i - 1]);
}
} // namespace

void RunCatalogueBench() {
    try {
        MeasureCatalogue();
    } catch (const std::exception& e) {
        std::printf("catalogue: not measured: %s\n", e.what());
    }
}

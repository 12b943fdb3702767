// CatalogueBench.cpp - the catalogue build against the bare registry work it stands on.
//
// For N entries in the current user's Uninstall key (redirected to a scratch key), it times
// TCatalogue::BuildCatalogue into a real tree view and, as the floor, the same registry calls in a
// tight loop without any tree: open the Uninstall key, enumerate it, and for each entry open it,
// query the size of "DisplayName", read it and close it. Runs alternate, and the fastest run of
// each is kept: every call is a round trip to the registry server, whose cost varies with the
// machine's load far more than the difference measured here.
#include "bench/Benchmarks.h"
#include "catalogue/Catalogue.h"
#include "framework/Form.h"
#include "framework/TreeView.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

class TBenchForm : public framework::TForm {
public:
    TBenchForm() : TForm("TBenchForm") { BindField("Tree", Tree); }
    framework::TTreeView* Tree = nullptr;

protected:
    framework::DefinitionNode ReadDefinition() const override {
        return framework::ParseDefinition("TBenchForm BenchForm {\n"
                                          "  ClientSize: 300 300\n"
                                          "  TTreeView Tree {\n"
                                          "    Bounds: 0 0 300 300\n"
                                          "  }\n"
                                          "}\n",
                                          "bench");
    }
};

/// Scratch roots standing for HKLM (empty) and HKCU (N entries) of this process.
class Scratch {
public:
    explicit Scratch(int entries) {
        base_ = "Software\\OrdanelBench";
        ::RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
        machine_ = Create(HKEY_CURRENT_USER, base_ + "\\Machine");
        user_ = Create(HKEY_CURRENT_USER, base_ + "\\User");
        ::RegCloseKey(Create(machine_, kUninstall));
        HKEY uninstall = Create(user_, kUninstall);
        for (int i = 0; i < entries; ++i) {
            char name[64], display[96];
            std::snprintf(name, sizeof name, "{%08X-BENCH-ENTRY}", i * 2654435761u);
            std::snprintf(display, sizeof display, "Benchmark Program %d (x64) 1.%d", i, i % 17);
            HKEY entry = Create(uninstall, name);
            ::RegSetValueExA(entry, "DisplayName", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(display),
                             static_cast<DWORD>(std::strlen(display) + 1));
            ::RegSetValueExA(entry, "UninstallString", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>("C:\\x\\uninst.exe"), 16);
            ::RegCloseKey(entry);
        }
        ::RegCloseKey(uninstall);
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
        ::RegOverridePredefKey(HKEY_CURRENT_USER, user_);
    }
    ~Scratch() {
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        ::RegCloseKey(machine_);
        ::RegCloseKey(user_);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
    }

private:
    static HKEY Create(HKEY parent, const std::string& path) {
        HKEY key = nullptr;
        ::RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr);
        return key;
    }
    std::string base_;
    HKEY machine_ = nullptr, user_ = nullptr;
};

/// The registry work of one scope's load, without a tree. Returns the number of names read.
int BareRegistryWork(HKEY root) {
    HKEY uninstall = nullptr;
    if (::RegOpenKeyExA(root, kUninstall, 0, KEY_ALL_ACCESS, &uninstall) != ERROR_SUCCESS)
        return 0;
    DWORD count = 0, longest = 0;
    ::RegQueryInfoKeyA(uninstall, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr);
    std::vector<std::string> names;
    std::vector<char> buffer(longest + 1);
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = longest + 1;
        ::RegEnumKeyExA(uninstall, i, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        names.emplace_back(buffer.data());
    }
    ::RegCloseKey(uninstall);
    int read = 0;
    for (const auto& name : names) {
        HKEY entry = nullptr;
        std::string path = std::string(kUninstall) + "\\" + name;
        if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &entry) != ERROR_SUCCESS)
            continue;
        DWORD type = 0, size = 0;
        if (::RegQueryValueExA(entry, "DisplayName", nullptr, &type, nullptr, &size) ==
                ERROR_SUCCESS &&
            size > 0) {
            std::string text(size, '\0');
            ::RegQueryValueExA(entry, "DisplayName", nullptr, &type,
                               reinterpret_cast<BYTE*>(text.data()), &size);
            read += text[0] != 0;
        }
        ::RegCloseKey(entry);
    }
    return read;
}

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
        int read = BareRegistryWork(HKEY_LOCAL_MACHINE) + BareRegistryWork(HKEY_CURRENT_USER);
        auto t1 = std::chrono::steady_clock::now();
        floors.push_back(Seconds(t1 - t0));

        framework::TStandaloneForm<TBenchForm> form;
        catalogue::TCatalogue catalogue(*form.Tree);
        auto t2 = std::chrono::steady_clock::now();
        catalogue.BuildCatalogue();
        auto t3 = std::chrono::steady_clock::now();
        builds.push_back(Seconds(t3 - t2));
        if (read != entries || form.Tree->Count() != entries + 2)
            std::printf("catalogue: WRONG RESULT: read %d, nodes %d, expected %d\n", read,
                        form.Tree->Count() - 2, entries);
    }
    return {*std::min_element(builds.begin(), builds.end()),
            *std::min_element(floors.begin(), floors.end())};
}

} // namespace

void RunCatalogueBench() {
    framework::RegisterStandardClasses();
    ::InitCommonControls();
    const int sizes[] = {1000, 5000};
    Result results[2];
    for (int i = 0; i < 2; ++i) {
        results[i] = Measure(sizes[i], 7);
        std::printf("catalogue: N=%d  BuildCatalogue %.3f s  bare registry work %.3f s  "
                    "ratio %.2f  (%.1f us per entry)\n",
                    sizes[i], results[i].build, results[i].floor,
                    results[i].build / results[i].floor, 1e6 * results[i].build / sizes[i]);
    }
    std::printf("catalogue: growth from N=1000 to N=5000: BuildCatalogue x%.2f, floor x%.2f "
                "(linear: x5.00)\n",
                results[1].build / results[0].build, results[1].floor / results[0].floor);
}

// BenchSupport.h - what several benchmarks build on: the form with one tree view that the
// catalogue fills, and the seeding of Uninstall entries.
//
// Classes in this file:
//   TTreeBenchForm   a form of 300 x 300 pixels holding one tree view, from definition text
//   SetText          writes a REG_SZ value
//   SeedEntry        creates one Uninstall entry as a real program's is (name, uninstaller)
#pragma once

#include "framework/Form.h"
#include "framework/TreeView.h"

#include <windows.h>

#include <string>

namespace bench {

class TTreeBenchForm : public framework::TForm {
public:
    TTreeBenchForm() : TForm("TTreeBenchForm") { BindField("Tree", Tree); }
    framework::TTreeView* Tree = nullptr;

protected:
    framework::DefinitionNode ReadDefinition() const override {
        return framework::ParseDefinition("TTreeBenchForm BenchForm {\n"
                                          "  ClientSize: 300 300\n"
                                          "  TTreeView Tree {\n"
                                          "    Bounds: 0 0 300 300\n"
                                          "  }\n"
                                          "}\n",
                                          "bench");
    }
};

/// Built at once and owned by the benchmark.
using TreeBenchForm = framework::TStandaloneForm<TTreeBenchForm>;

inline void SetText(HKEY key, const char* name, const std::string& text) {
    ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
}

/// The entry name below the open Uninstall key, in the given view, with the "DisplayName"
/// "Benchmark Program <number> (x64) 1.<number % 17>" unless named is false, and an
/// "UninstallString".
inline void SeedEntry(HKEY uninstall, REGSAM view, const std::string& name, int number,
                      bool named = true) {
    HKEY entry = nullptr;
    if (::RegCreateKeyExA(uninstall, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                          &entry, nullptr) != ERROR_SUCCESS)
        return;
    if (named)
        SetText(entry, "DisplayName",
                "Benchmark Program " + std::to_string(number) + " (x64) 1." +
                    std::to_string(number % 17));
    SetText(entry, "UninstallString", "C:\\x\\uninst.exe");
    ::RegCloseKey(entry);
}

} // namespace bench

// RemovalBench.cpp - the removal of one entry against the bare recursive delete, and the backup
// written before it against the deletion itself.
//
// An entry of the user's Uninstall key with 1,000 keys below it (ten subkeys holding 99 keys
// each, every key with one value) is seeded anew before every run. One side times
// TCatalogue::RemoveEntry on the entry's node, which writes the entry's backup, deletes the tree
// key by key without following links and then checks that the key is gone; the other side times
// RegDeleteTreeA on the same tree, the one call a program that trusts the registry would make.
// Then the backup alone (BackUpEntry) is timed against the deletion alone (TRegistry::DeleteTree)
// on the same tree. Runs alternate and the fastest of each is kept. Backups go to a scratch folder
// of the benchmark's prefix and are deleted after each run.
#include "bench/BenchSupport.h"
#include "bench/Benchmarks.h"
#include "catalogue/Backup.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Registry.h"
#include "framework/Form.h"
#include "framework/TreeView.h"
#include "tests/support/BackupSandbox.h"
#include "tests/support/TestPrefix.h"
#include "ui/CatalogueTree.h"
#include "ui/RemovalText.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kEntry[] = "{BENCH-REMOVAL-ENTRY}";
constexpr wchar_t kEntryWide[] = L"{BENCH-REMOVAL-ENTRY}";

/// The entry with 1,000 keys below it: 10 subkeys of 99 keys each, plus the 10 themselves.
void Seed() {
    HKEY entry = nullptr;
    const std::string path = std::string(kUninstall) + "\\" + kEntry;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &entry, nullptr);
    bench::SetText(entry, "DisplayName", "Removal benchmark");
    for (int i = 0; i < 10; ++i) {
        HKEY sub = nullptr;
        ::RegCreateKeyExA(entry, ("Component" + std::to_string(i)).c_str(), 0, nullptr, 0,
                          KEY_ALL_ACCESS, nullptr, &sub, nullptr);
        bench::SetText(sub, "Path", "C:\\Program Files\\Bench\\" + std::to_string(i));
        for (int j = 0; j < 99; ++j) {
            HKEY leaf = nullptr;
            ::RegCreateKeyExA(sub, ("Feature" + std::to_string(j)).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &leaf, nullptr);
            bench::SetText(leaf, "State", std::to_string(j));
            ::RegCloseKey(leaf);
        }
        ::RegCloseKey(sub);
    }
    ::RegCloseKey(entry);
}

bool EntryExists() {
    HKEY key = nullptr;
    const std::string path = std::string(kUninstall) + "\\" + kEntry;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

void DeleteBackups(const testsupport::BackupSandbox& backups) {
    for (const std::wstring& file : backups.Files())
        ::DeleteFileW(file.c_str());
}

void MeasureRemoval() {
    testsupport::RequireTestPrefix("seed an Uninstall entry for the removal benchmark");
    testsupport::BackupSandbox backups("removal-bench");
    framework::RegisterStandardClasses();
    ::InitCommonControls();
    const std::string path = std::string(kUninstall) + "\\" + kEntry;
    double removal = 1e9, bare = 1e9;
    int keysDeleted = 0;
    for (int round = 0; round < 7; ++round) {
        Seed();
        double t0 = Seconds();
        LSTATUS status = ::RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
        double t1 = Seconds();
        if (status != ERROR_SUCCESS || EntryExists())
            std::printf("removal: WRONG RESULT: RegDeleteTreeA gave %ld\n", status);
        bare = std::min(bare, t1 - t0);

        Seed();
        bench::TreeBenchForm form;
        ui::TTreeCatalogue catalogue(*form.Tree);
        catalogue.BuildCatalogue();
        framework::TTreeNode* node = nullptr;
        for (framework::TTreeNode* child : catalogue.UserRoot()->Children())
            if (catalogue.KeyNames(catalogue::TEntryScope::User)[child->Data()] == kEntry)
                node = child;
        if (!node) {
            std::printf("removal: WRONG RESULT: the seeded entry is not listed\n");
            return;
        }
        double t2 = Seconds();
        catalogue::TRemoval result = catalogue.RemoveEntry(*node);
        double t3 = Seconds();
        if (!result.Removed() || EntryExists())
            std::printf("removal: WRONG RESULT: RemoveEntry left the key (%s)\n",
                        ui::SystemErrorText(result.Error).c_str());
        keysDeleted = result.KeysDeleted;
        removal = std::min(removal, t3 - t2);
        DeleteBackups(backups);
    }
    std::printf("removal: entry with %d keys (itself included)  RemoveEntry with its backup "
                "%.4f s  RegDeleteTreeA %.4f s  ratio %.2f\n",
                keysDeleted, removal, bare, removal / bare);

    double backup = 1e9, deletion = 1e9, bareAlongside = 1e9;
    unsigned long long bytes = 0;
    for (int round = 0; round < 7; ++round) {
        Seed();
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        double t0 = Seconds();
        const catalogue::TBackup written =
            catalogue::BackUpEntry(catalogue::TEntryScope::User, kEntryWide, L"Removal bench", now);
        double t1 = Seconds();
        WIN32_FILE_ATTRIBUTE_DATA file{};
        if (!written.Written() ||
            !::GetFileAttributesExW(written.Path.c_str(), GetFileExInfoStandard, &file)) {
            std::printf("removal: WRONG RESULT: no backup (%s)\n",
                        ui::BackupFailureText(written.Failure).c_str());
            return;
        }
        bytes = (static_cast<unsigned long long>(file.nFileSizeHigh) << 32) | file.nFileSizeLow;
        backup = std::min(backup, t1 - t0);

        catalogue::TRegistry registry;
        double t2 = Seconds();
        const bool deleted = registry.DeleteTree(path);
        double t3 = Seconds();
        if (!deleted || EntryExists())
            std::printf("removal: WRONG RESULT: DeleteTree left the key\n");
        deletion = std::min(deletion, t3 - t2);
        DeleteBackups(backups);

        // The bare recursive delete in the same round, so that both meet the same machine.
        Seed();
        double t4 = Seconds();
        const LSTATUS status = ::RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
        double t5 = Seconds();
        if (status != ERROR_SUCCESS || EntryExists())
            std::printf("removal: WRONG RESULT: RegDeleteTreeA gave %ld\n", status);
        bareAlongside = std::min(bareAlongside, t5 - t4);
    }
    std::printf("removal: backup of that entry (%llu bytes)  BackUpEntry %.4f s  "
                "TRegistry::DeleteTree %.4f s  ratio %.2f\n",
                bytes, backup, deletion, backup / deletion);
    std::printf("removal: the deletion alone  TRegistry::DeleteTree %.4f s  RegDeleteTreeA %.4f s  "
                "ratio %.2f\n",
                deletion, bareAlongside, deletion / bareAlongside);
}

} // namespace

void RunRemovalBench() {
    try {
        MeasureRemoval();
    } catch (const std::exception& e) {
        std::printf("removal: not measured: %s\n", e.what());
    }
}

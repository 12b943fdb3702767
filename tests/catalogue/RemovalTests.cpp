// test-lock: registry-uninstall
//
// Removing entries from the real Uninstall keys of the test prefix. Both hives are dumped before
// and after each removal, and exactly the removed entry's keys may differ.
#include "catalogue/Backup.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Registry.h"
#include "framework/Controls.h"
#include "tests/support/BackupSandbox.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/UninstallSandbox.h"
#include "ui/RemovalText.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using TCatalogue = ui::TTreeCatalogue;
using catalogue::TEntryScope;
using catalogue::TRemoval;
using framework::TTreeNode;
using testsupport::RegistryDump;
using testsupport::Scope;

constexpr wchar_t kUninstallLabel[] = L"\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

constexpr wchar_t kCurrentVersion[] = L"Software\\Microsoft\\Windows\\CurrentVersion";

// HKCU's CurrentVersion key, open to change its subkeys.
HKEY OpenCurrentVersion() {
    HKEY key = nullptr;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kCurrentVersion, 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    return key;
}

// What another program may do while a removal runs: the user's Uninstall key moved away, and a
// link of its name put in its place, to the key of the native name target. Undone at the end.
class UninstallKeySwapped {
public:
    explicit UninstallKeySwapped(const std::wstring& target) {
        HKEY cv = OpenCurrentVersion();
        EXPECT_EQ(::RegRenameKey(cv, L"Uninstall", kMoved), ERROR_SUCCESS);
        HKEY link = nullptr;
        EXPECT_EQ(::RegCreateKeyExW(cv, L"Uninstall", 0, nullptr, REG_OPTION_CREATE_LINK,
                                    KEY_ALL_ACCESS, nullptr, &link, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                         reinterpret_cast<const BYTE*>(target.data()),
                         static_cast<DWORD>(target.size() * sizeof(wchar_t)));
        ::RegCloseKey(link);
        ::RegCloseKey(cv);
    }
    ~UninstallKeySwapped() {
        HKEY cv = OpenCurrentVersion();
        testsupport::DeleteKeyNoFollow(cv, L"Uninstall");
        ::RegRenameKey(cv, kMoved, L"Uninstall");
        ::RegCloseKey(cv);
    }
    UninstallKeySwapped(const UninstallKeySwapped&) = delete;
    UninstallKeySwapped& operator=(const UninstallKeySwapped&) = delete;

private:
    static constexpr wchar_t kMoved[] = L"Uninstall (moved by a test)";
};

class RemovalTest : public ::testing::Test {
protected:
    TCatalogue& Build() {
        built = std::make_unique<testsupport::TestCatalogue>();
        catalogue = &built->Catalogue();
        return *catalogue;
    }
    TTreeNode* Node(TEntryScope scope, const std::string& name) { return built->Node(scope, name); }

    // The dump path of an entry key: HKLM's 32-bit view lives under Wow6432Node.
    static std::wstring EntryDumpPath(Scope scope, const std::wstring& name) {
        switch (scope) {
        case Scope::Machine: return L"HKLM\\Software" + std::wstring(kUninstallLabel) + name;
        case Scope::Machine32:
            return L"HKLM\\Software\\Wow6432Node" + std::wstring(kUninstallLabel) + name;
        case Scope::User: break;
        }
        return L"HKCU\\Software" + std::wstring(kUninstallLabel) + name;
    }

    // Removes the entry and checks that the registry changed by exactly the given keys.
    void RemoveExactly(TEntryScope scope, const std::string& name,
                       std::vector<std::wstring> expectedGone) {
        TTreeNode* node = Node(scope, name);
        ASSERT_NE(node, nullptr);
        const RegistryDump before = testsupport::DumpBothHives();
        const TRemoval removal = catalogue->RemoveEntry(*node);
        const RegistryDump after = testsupport::DumpBothHives();
        EXPECT_TRUE(removal.Removed()) << removal.Error;
        EXPECT_EQ(removal.Error, ERROR_SUCCESS);
        EXPECT_FALSE(removal.BackupPath.empty());
        EXPECT_EQ(removal.KeysDeleted, static_cast<int>(expectedGone.size()));
        std::sort(expectedGone.begin(), expectedGone.end());
        // Anywhere in both hives, exactly the entry's keys went away; below the three Uninstall
        // keys and the link targets, every other key kept every value byte for byte.
        EXPECT_EQ(Ours(before.KeysMissingFrom(after)), expectedGone);
        EXPECT_EQ(Watched(before.Differences(after)), expectedGone);
    }

    // Drops the keys of other test programs, which run alongside and change theirs meanwhile.
    std::vector<std::wstring> Ours(std::vector<std::wstring> paths) const {
        std::erase_if(paths, [&](const std::wstring& p) {
            return p.find(L"\\OrdanelTests\\") != std::wstring::npos &&
                   p.find(OurScratch()) == std::wstring::npos;
        });
        return paths;
    }

    // Only the keys this test owns: the Uninstall keys and its own scratch key. The system writes
    // elsewhere in the hives as it likes (fonts, network cards).
    std::vector<std::wstring> Watched(std::vector<std::wstring> paths) const {
        std::erase_if(paths, [&](const std::wstring& p) {
            return p.find(L"\\CurrentVersion\\Uninstall") == std::wstring::npos &&
                   p.find(OurScratch()) == std::wstring::npos;
        });
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    std::wstring OurScratch() const {
        return L"\\OrdanelTests\\" +
               testsupport::Wide(scratch.Path().substr(scratch.Path().rfind('\\') + 1));
    }

    testsupport::UninstallSandbox sandbox;
    testsupport::RegistrySandbox scratch;
    testsupport::BackupSandbox backups;
    std::unique_ptr<testsupport::TestCatalogue> built;
    TCatalogue* catalogue = nullptr;
};

TEST_F(RemovalTest, TheSameNameInAnotherScopeOrViewStays) {
    for (Scope scope : {Scope::User, Scope::Machine, Scope::Machine32}) {
        sandbox.AddEntry(scope, "Same", "Same Tool");
        sandbox.AddEntry(scope, "Same\\Level1\\Level2", "deep");
        sandbox.AddEntry(scope, "Same\\Other");
        sandbox.AddEntry(scope, "Next", "Next Tool");
    }
    Build();
    auto subtree = [](Scope scope) {
        std::vector<std::wstring> keys;
        for (const wchar_t* key :
             {L"Same", L"Same\\Level1", L"Same\\Level1\\Level2", L"Same\\Other"})
            keys.push_back(EntryDumpPath(scope, key));
        return keys;
    };
    RemoveExactly(TEntryScope::User, "Same", subtree(Scope::User));
    RemoveExactly(TEntryScope::System32, "Same", subtree(Scope::Machine32));
    RemoveExactly(TEntryScope::System, "Same", subtree(Scope::Machine));
    for (Scope scope : {Scope::User, Scope::Machine, Scope::Machine32})
        EXPECT_TRUE(sandbox.Exists(scope, "Next"));
}

TEST_F(RemovalTest, NamesThatLookLikePathsOrPatternsAndDeepTreesRemoveOnlyThemselves) {
    // The registry gives no meaning to dots, slashes, blanks, wildcards or variables in a name.
    const std::vector<std::string> names = {".", "..", "a/b", " lead", "trail ", "*?", "%TEMP%"};
    for (const std::string& name : names) {
        sandbox.AddEntry(Scope::User, name, ("Odd " + name).c_str());
        sandbox.AddEntry(Scope::User, name + "\\child");
    }
    std::string deep = "Deep";
    std::vector<std::wstring> deepKeys{EntryDumpPath(Scope::User, L"Deep")};
    for (int level = 0; level < 100; ++level) {
        deep += "\\d";
        deepKeys.push_back(EntryDumpPath(Scope::User, testsupport::Wide(deep)));
    }
    sandbox.AddEntry(Scope::User, deep);
    sandbox.AddEntry(Scope::User, "Deep", "Deep Tool");
    Build();
    std::vector<std::wstring> gone = deepKeys;
    const RegistryDump before = testsupport::DumpBothHives();
    for (const std::string& name : names) {
        const std::wstring key = EntryDumpPath(Scope::User, testsupport::Wide(name));
        gone.insert(gone.end(), {key, key + L"\\child"});
        const TRemoval removal = catalogue->RemoveEntry(*Node(TEntryScope::User, name));
        EXPECT_TRUE(removal.Removed()) << "\"" << name << "\": " << removal.Error;
        EXPECT_EQ(removal.KeysDeleted, 2) << "\"" << name << "\"";
    }
    const TRemoval removal = catalogue->RemoveEntry(*Node(TEntryScope::User, "Deep"));
    EXPECT_TRUE(removal.Removed()) << removal.Error;
    EXPECT_EQ(removal.KeysDeleted, 101);
    const RegistryDump after = testsupport::DumpBothHives();
    std::sort(gone.begin(), gone.end());
    EXPECT_EQ(Ours(before.KeysMissingFrom(after)), gone);
    EXPECT_EQ(Watched(before.Differences(after)), gone);
}

TEST_F(RemovalTest, AUnicodeNameRemovesItsOwnKeyNotItsLookAlike) {
    sandbox.AddEntry(Scope::User, L"Prog?", L"Decoy Question");
    sandbox.AddEntry(Scope::User, L"Prog\u03BB", L"Lambda Tool \u03BB");
    sandbox.AddEntry(Scope::Machine32, L"\u65E5\u672C\u8A9E\u30C4\u30FC\u30EB",
                     L"\u65E5\u672C\u8A9E\u30C4\u30FC\u30EB 2.0");
    sandbox.AddEntry(Scope::Machine32, L"\u65E5\u672C", L"Decoy Prefix");
    Build();
    RemoveExactly(TEntryScope::User, "Prog\xCE\xBB", {EntryDumpPath(Scope::User, L"Prog\u03BB")});
    RemoveExactly(TEntryScope::System32,
                  "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x84\xE3\x83\xBC\xE3\x83\xAB",
                  {EntryDumpPath(Scope::Machine32, L"\u65E5\u672C\u8A9E\u30C4\u30FC\u30EB")});
    EXPECT_TRUE(sandbox.Exists(Scope::User, "Prog?"));
}

TEST_F(RemovalTest, LinksAreRemovedAsLinksAndTheirTargetsStayByteForByte) {
    scratch.SetString("target\\child", "Keep", L"every byte");
    scratch.SetDword("target", "Count", 7);
    const std::wstring target = scratch.NativePath() + L"\\target";
    // A link inside an entry, and an entry key that is itself a link.
    sandbox.AddEntry(Scope::User, "Holder", "Holder Tool");
    sandbox.CreateLink(Scope::User, "Holder\\Inner\\ToTarget", target);
    sandbox.CreateLink(Scope::Machine, "IsALink", target);
    // The link's target shows no caption of its own, so give it one to make the link an entry.
    scratch.SetString("target", "DisplayName", L"Linked Tool");
    Build();
    RemoveExactly(TEntryScope::User, "Holder",
                  {EntryDumpPath(Scope::User, L"Holder"),
                   EntryDumpPath(Scope::User, L"Holder\\Inner"),
                   EntryDumpPath(Scope::User, L"Holder\\Inner\\ToTarget")});
    RemoveExactly(TEntryScope::System, "IsALink", {EntryDumpPath(Scope::Machine, L"IsALink")});
    EXPECT_TRUE(scratch.KeyExists("target\\child"));
}

TEST_F(RemovalTest, ALinkAboveTheEntryStopsTheRemovalAndIsNotTakenForSuccess) {
    sandbox.AddEntry(Scope::User, "Tool", "Tool");
    sandbox.AddEntry(Scope::User, "Tool\\Child");
    Build();
    // The Uninstall key turns out to be a link, to the backup's reading (wide calls) and to the
    // deletion's (ANSI calls) alike.
    testsupport::RegistryApiHooks hooks;
    std::set<HKEY> uninstall;
    hooks.OpenKeyEx = [&](HKEY base, LPCSTR sub, DWORD options, REGSAM sam, PHKEY out) {
        const LSTATUS status = hooks.Previous().OpenKeyEx(base, sub, options, sam, out);
        if (status == ERROR_SUCCESS && std::string(sub) == "Uninstall")
            uninstall.insert(*out);
        return status;
    };
    hooks.QueryValueEx = [&](HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
        if (uninstall.contains(key) && std::string(name) == "SymbolicLinkValue") {
            *type = REG_LINK;
            return LSTATUS(ERROR_SUCCESS);
        }
        return hooks.Previous().QueryValueEx(key, name, reserved, type, data, size);
    };
    int entryReads = 0; // the backup opens the entry's key to read it
    hooks.OpenKeyExW = [&](HKEY base, LPCWSTR sub, DWORD options, REGSAM sam, PHKEY out) {
        const LSTATUS status = hooks.Previous().OpenKeyExW(base, sub, options, sam, out);
        if (status == ERROR_SUCCESS && std::wstring(sub) == L"Uninstall")
            uninstall.insert(*out);
        entryReads += std::wstring(sub).ends_with(L"Tool");
        return status;
    };
    const TRemoval removal = catalogue->RemoveEntry(*Node(TEntryScope::User, "Tool"));
    EXPECT_EQ(entryReads, 0) << "nothing was read";
    EXPECT_FALSE(removal.Removed());
    EXPECT_EQ(removal.Error, catalogue::kErrorLinkAbove);
    EXPECT_EQ(removal.KeysDeleted, 0);
    EXPECT_TRUE(sandbox.Exists(Scope::User, "Tool\\Child"));
    EXPECT_EQ(hooks.StillOpen(), 0u);
    EXPECT_EQ(backups.Files(), std::vector<std::wstring>{}) << "nothing was read";

    // The link put there after the backup read the entry stops the deletion all the same.
    uninstall.clear();
    hooks.OpenKeyExW = hooks.Previous().OpenKeyExW;
    const TRemoval late = catalogue->RemoveEntry(*Node(TEntryScope::User, "Tool"));
    EXPECT_EQ(late.Error, catalogue::kErrorLinkAbove);
    EXPECT_EQ(late.KeysDeleted, 0);
    EXPECT_TRUE(sandbox.Exists(Scope::User, "Tool\\Child"));
    EXPECT_EQ(backups.Files(), std::vector<std::wstring>{}) << "nothing was deleted";
}

TEST_F(RemovalTest, ARefusalDeepInTheTreeKeepsTheEntryListedWithTheSystemsReason) {
    sandbox.AddEntry(Scope::Machine32, "Stubborn", "Stubborn Tool");
    sandbox.AddEntry(Scope::Machine32, "Stubborn\\A\\Locked\\Leaf");
    sandbox.AddEntry(Scope::Machine32, "Stubborn\\B");
    Build();
    testsupport::RegistryApiHooks hooks;
    hooks.NtDeleteKey = [&](HANDLE key) {
        if (hooks.NameOf(key) == "Locked")
            return LONG(0xC0000022L); // STATUS_ACCESS_DENIED
        return hooks.Previous().NtDeleteKey(key);
    };
    const TRemoval removal = catalogue->RemoveEntry(*Node(TEntryScope::System32, "Stubborn"));
    EXPECT_FALSE(removal.Removed());
    EXPECT_TRUE(removal.Partial());
    EXPECT_EQ(removal.KeysDeleted, 2) << "Leaf and B";
    EXPECT_EQ(removal.Error, LSTATUS(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ui::SystemErrorText(removal.Error), ui::SystemErrorText(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(removal.ReasonKnown);
    EXPECT_TRUE(sandbox.Exists(Scope::Machine32, "Stubborn\\A\\Locked"));
    EXPECT_FALSE(sandbox.Exists(Scope::Machine32, "Stubborn\\A\\Locked\\Leaf"));
    EXPECT_FALSE(sandbox.Exists(Scope::Machine32, "Stubborn\\B"));
    EXPECT_EQ(hooks.StillOpen(), 0u);
    // Part of the entry went: its backup stays, the only record of what went.
    EXPECT_EQ(backups.Files(), std::vector<std::wstring>{removal.BackupPath});
}

TEST_F(RemovalTest, ANameTheCodePageCannotHoldInsideAnEntryKeepsTheEntryListed) {
    sandbox.AddEntry(Scope::User, L"Odd", L"Odd Tool");
    sandbox.AddEntry(Scope::User, std::wstring(L"Odd\\Lone") + wchar_t(0xDC00), L"");
    sandbox.AddEntry(Scope::User, L"Odd\\Lone\uFFFD", L"");
    Build();
    const TRemoval removal = catalogue->RemoveEntry(*Node(TEntryScope::User, "Odd"));
    EXPECT_FALSE(removal.Removed());
    EXPECT_EQ(removal.Error, LSTATUS(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_TRUE(sandbox.Exists(Scope::User, "Odd"));
}

TEST_F(RemovalTest, AFailureOfAnyKindLeavesTheEntryListed) {
    sandbox.AddEntry(Scope::User, "Tool", "Tool");
    sandbox.AddEntry(Scope::User, "Tool\\Child");
    Build();
    testsupport::RegistryApiHooks hooks;
    hooks.NtDeleteKey = [](HANDLE) -> LONG { throw std::bad_alloc(); };
    const TRemoval removal = catalogue->RemoveEntry(*Node(TEntryScope::User, "Tool"));
    EXPECT_FALSE(removal.Removed());
    EXPECT_EQ(removal.Error, LSTATUS(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_TRUE(sandbox.Exists(Scope::User, "Tool\\Child"));
    EXPECT_EQ(hooks.StillOpen(), 0u);
    // Nothing was deleted, so the backup went again.
    EXPECT_TRUE(removal.BackupPath.empty());
    EXPECT_EQ(backups.Files(), std::vector<std::wstring>{});
}

TEST_F(RemovalTest,
       AKeyThatChangedAfterTheBackupStaysWithTheKeysAboveItAndOnlyWhatTheBackupHoldsGoes) {
    // Each entry: A\Deep and B\Leaf below it; each case changes one key after the backup has
    // read the tree (its flush comes after the reading, before any deletion).
    struct Case {
        const char* entry;
        const char* late; // the key made, or whose value is rewritten
        bool rewrite;     // rewrite a value of late rather than make it
        std::vector<const wchar_t*> gone;
    } cases[] = {
        {"Tool", "Tool\\Late", false, {}},
        {"Deeper", "Deeper\\A\\Late", false, {L"Deeper\\B", L"Deeper\\B\\Leaf"}},
        {"Rewritten", "Rewritten\\B\\Leaf", true, {L"Rewritten\\A", L"Rewritten\\A\\Deep"}},
    };
    for (const Case& c : cases) {
        sandbox.AddEntry(Scope::User, c.entry, c.entry);
        sandbox.AddEntry(Scope::User, std::string(c.entry) + "\\A\\Deep");
        sandbox.AddEntry(Scope::User, std::string(c.entry) + "\\B\\Leaf", "leaf");
    }
    Build();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        backups.FlushFileBuffers = [&](HANDLE file) {
            sandbox.AddEntry(Scope::User, c.late, c.rewrite ? "rewritten" : nullptr);
            return backups.Previous().FlushFileBuffers(file);
        };
        const RegistryDump before = testsupport::DumpBothHives();
        const TRemoval removal = catalogue->RemoveEntry(*Node(TEntryScope::User, c.entry));
        const RegistryDump after = testsupport::DumpBothHives();
        EXPECT_EQ(removal.Result, TRemoval::Outcome::StillListed);
        EXPECT_EQ(removal.Error, catalogue::kErrorKeyChanged);
        EXPECT_TRUE(sandbox.Exists(Scope::User, c.late));
        EXPECT_EQ(removal.KeysDeleted, static_cast<int>(c.gone.size()));
        std::vector<std::wstring> gone;
        for (const wchar_t* key : c.gone)
            gone.push_back(EntryDumpPath(Scope::User, key));
        std::sort(gone.begin(), gone.end());
        EXPECT_EQ(Ours(before.KeysMissingFrom(after)), gone);
        gone.push_back(EntryDumpPath(Scope::User, testsupport::Wide(c.late)));
        std::sort(gone.begin(), gone.end());
        EXPECT_EQ(Watched(before.Differences(after)), gone) << "and nothing else changed";
        // What went is in the backup, kept for it; with nothing gone, the backup went too.
        EXPECT_EQ(removal.BackupPath.empty(), c.gone.empty());
        if (c.gone.empty())
            continue;
        const std::wstring text = testsupport::BackupSandbox::ReadUtf16(removal.BackupPath);
        for (const wchar_t* key : c.gone)
            EXPECT_NE(
                text.find(L"[" + catalogue::RegFileKeyPath(TEntryScope::User, key) + L"]\r\n"),
                std::wstring::npos);
    }
}

// Another program swaps a key of the entry for a link to a key outside it, after the deletion
// checked that key and before it deleted it, by renaming the key away or by deleting it itself:
// the key that was checked goes, if it is still there (it is the entry's own, under whatever name
// it has now), while the link and its target stay, and the entry stays listed with what happened.
TEST_F(RemovalTest, AKeySwappedForALinkJustBeforeItsDeletionLeavesTheLinksTargetAlone) {
    struct Case {
        const char* entry;
        std::string swapped; // the key, below the Uninstall key, that becomes a link
        bool renamed;        // renamed away, else deleted with the keys below it
        LSTATUS error;
        int deleted;
    };
    const Case cases[] = {
        // The entry keeps a key its backup does not hold: the link.
        {"Swapped", "Swapped\\Leaf", true, catalogue::kErrorKeyChanged, 1},
        // The entry's key itself went: nothing is left to delete, and the link of its name stays.
        {"Replaced", "Replaced", false, ERROR_KEY_DELETED, 0},
    };
    scratch.SetString("Victim", "Keep", L"a value outside the entry");
    for (const Case& c : cases) {
        sandbox.AddEntry(Scope::User, c.entry, "Swapped Tool");
        sandbox.AddEntry(Scope::User, std::string(c.entry) + "\\Leaf", "leaf");
    }
    Build();
    const std::vector<RegistryDump::Root> victim = {
        {HKEY_CURRENT_USER, testsupport::Wide(scratch.PathOf("Victim")), 0, L"Victim"}};
    const RegistryDump before(victim);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        const std::string name = c.swapped.substr(c.swapped.rfind('\\') + 1);
        testsupport::RegistryApiHooks hooks;
        bool swapped = false;
        hooks.AfterQueryInfoKey([&](HKEY key, LPDWORD) {
            if (!swapped && hooks.NameOf(key) == name) {
                swapped = true;
                if (c.renamed) {
                    HKEY entry = nullptr;
                    ::RegOpenKeyExW(HKEY_CURRENT_USER,
                                    (std::wstring(kCurrentVersion) + L"\\Uninstall\\" +
                                     testsupport::Wide(c.entry))
                                        .c_str(),
                                    0, KEY_ALL_ACCESS, &entry);
                    EXPECT_EQ(::RegRenameKey(entry, testsupport::Wide(name).c_str(),
                                             (testsupport::Wide(name) + L" moved").c_str()),
                              ERROR_SUCCESS);
                    ::RegCloseKey(entry);
                } else {
                    testsupport::DeleteKeyNoFollow(
                        HKEY_CURRENT_USER, std::wstring(kCurrentVersion) + L"\\Uninstall\\" +
                                               testsupport::Wide(c.swapped));
                }
                sandbox.CreateLink(Scope::User, c.swapped, scratch.NativePath() + L"\\Victim");
            }
        });
        const TRemoval removal = catalogue->RemoveEntry(*Node(TEntryScope::User, c.entry));
        ASSERT_TRUE(swapped);
        EXPECT_EQ(before.Differences(RegistryDump(victim)), std::vector<std::wstring>{})
            << "the link's target stays, byte for byte";
        EXPECT_EQ(removal.Result, TRemoval::Outcome::StillListed);
        EXPECT_EQ(removal.Error, c.error);
        EXPECT_EQ(removal.KeysDeleted, c.deleted) << "the keys that were checked";
        EXPECT_TRUE(sandbox.Exists(Scope::User, c.swapped)) << "the link stays";
        EXPECT_EQ(hooks.StillOpen(), 0u);
    }
    EXPECT_FALSE(sandbox.Exists(Scope::User, "Swapped\\Leaf moved"));
}

// What another program may do at the moment the entry's key is deleted, and what the removal then
// says. Whether the entry is gone is asked of the key the deletion opened (deleted?) and below the
// Uninstall key it opened as itself (is the name free?): not through the path again, which may now
// be a link into another tree, nor by the name alone, which a renamed key no longer has.
TEST_F(RemovalTest, WhetherTheEntryIsGoneIsAskedOfItsOwnKeyAndItsOwnParent) {
    const std::wstring uninstall = std::wstring(kCurrentVersion) + L"\\Uninstall";
    struct Case {
        const char* what;
        bool refused;              // whether the registry refuses to delete the entry's key
        std::function<void()> act; // what the other program does meanwhile
        bool removed;
        LSTATUS error;
        const char* stays; // the entry's key as it is left, or nothing
    };
    std::optional<UninstallKeySwapped> swap;
    const Case cases[] = {
        {"deleted; the path made a link to a tree that has a key of its name", false,
         [&] { swap.emplace(scratch.NativePath() + L"\\Decoy"); }, true, ERROR_SUCCESS, nullptr},
        {"refused; the path made a link to a tree without one", true,
         [&] { swap.emplace(scratch.NativePath() + L"\\Empty"); }, false,
         LSTATUS(ERROR_ACCESS_DENIED), "Moved"},
        {"refused; the key renamed away, where it is still listed", true,
         [&] {
             HKEY parent = nullptr;
             ::RegOpenKeyExW(HKEY_CURRENT_USER, uninstall.c_str(), 0, KEY_ALL_ACCESS, &parent);
             EXPECT_EQ(::RegRenameKey(parent, L"Moved", L"Moved away"), ERROR_SUCCESS);
             ::RegCloseKey(parent);
         },
         false, LSTATUS(ERROR_ACCESS_DENIED), "Moved away"},
        {"deleted; the Uninstall key deleted and made again", false,
         [&] {
             testsupport::DeleteKeyNoFollow(HKEY_CURRENT_USER, uninstall);
             HKEY again = nullptr;
             ::RegCreateKeyExW(HKEY_CURRENT_USER, uninstall.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                               nullptr, &again, nullptr);
             ::RegCloseKey(again);
         },
         true, ERROR_SUCCESS, nullptr},
    };
    scratch.CreateKey("Decoy\\Moved");
    scratch.CreateKey("Empty");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sandbox.AddEntry(Scope::User, "Moved", "Moved Tool");
        Build();
        testsupport::RegistryApiHooks hooks;
        bool acted = false;
        hooks.NtDeleteKey = [&](HANDLE key) {
            const bool entry = hooks.NameOf(key) == "Moved";
            const LONG status = entry && c.refused ? LONG(0xC0000022L) // STATUS_ACCESS_DENIED
                                                   : hooks.Previous().NtDeleteKey(key);
            if (entry) {
                c.act();
                acted = true;
            }
            return status;
        };
        const TRemoval removal = catalogue->RemoveEntry(*Node(TEntryScope::User, "Moved"));
        swap.reset();
        ASSERT_TRUE(acted);
        EXPECT_EQ(removal.Removed(), c.removed);
        EXPECT_EQ(removal.Error, c.error);
        for (const char* key : {"Moved", "Moved away"})
            EXPECT_EQ(sandbox.Exists(Scope::User, key), c.stays && key == std::string(c.stays))
                << key;
        testsupport::DeleteKeyNoFollow(HKEY_CURRENT_USER, uninstall + L"\\Moved away");
    }
}

// A subkey made in the instant between a key's last check and its deletion makes the registry
// refuse the deletion: the removal says the entry changed, not that it lacked the rights.
TEST_F(RemovalTest, ASubkeyMadeJustBeforeTheDeletionIsToldAsAChange) {
    sandbox.AddEntry(Scope::User, "Late", "Late Tool");
    Build();
    testsupport::RegistryApiHooks hooks;
    hooks.NtDeleteKey = [&](HANDLE key) {
        if (hooks.NameOf(key) == "Late")
            sandbox.AddEntry(Scope::User, "Late\\Made meanwhile");
        return hooks.Previous().NtDeleteKey(key);
    };
    const TRemoval removal = catalogue->RemoveEntry(*Node(TEntryScope::User, "Late"));
    EXPECT_EQ(removal.Result, TRemoval::Outcome::StillListed);
    EXPECT_EQ(removal.Error, catalogue::kErrorKeyChanged);
    EXPECT_TRUE(sandbox.Exists(Scope::User, "Late\\Made meanwhile"));
}

// A backup that fails with a code of the system's is told as such: the catalogue's own codes
// (a link above the entry, a changed key) are codes the system never gives.
TEST_F(RemovalTest, ABackupFailureIsNeverTakenForOneOfTheCataloguesOwnRefusals) {
    sandbox.AddEntry(Scope::User, "Tool", "Tool");
    Build();
    for (LSTATUS error : {LSTATUS(ERROR_BAD_PATHNAME), LSTATUS(ERROR_RETRY)}) {
        SCOPED_TRACE(error);
        backups.CreateDirectory = [error](LPCWSTR, LPSECURITY_ATTRIBUTES) {
            ::SetLastError(static_cast<DWORD>(error));
            return FALSE;
        };
        const TRemoval removal = catalogue->RemoveEntry(*Node(TEntryScope::User, "Tool"));
        EXPECT_EQ(removal.Result, TRemoval::Outcome::NotBackedUp);
        EXPECT_EQ(removal.Error, error);
        EXPECT_NE(removal.Error, catalogue::kErrorLinkAbove);
        EXPECT_NE(removal.Error, catalogue::kErrorKeyChanged);
    }
    EXPECT_TRUE(sandbox.Exists(Scope::User, "Tool"));
}

// A value written into a key after the backup read it, while the keys below it are deleted,
// keeps that key (deleting a subkey moves the key's last-write time, so only its values can tell).
TEST_F(RemovalTest, AValueWrittenIntoAKeyWhileItsSubkeysAreDeletedKeepsTheKey) {
    struct Case {
        const char* entry;
        std::function<void(HKEY)> write;
    };
    const std::wstring late = L"written late";
    const BYTE* lateBytes = reinterpret_cast<const BYTE*>(late.c_str());
    const DWORD lateSize = static_cast<DWORD>((late.size() + 1) * sizeof(wchar_t));
    const Case cases[] = {
        {"Added", [&](HKEY k) { ::RegSetValueExW(k, L"Late", 0, REG_SZ, lateBytes, lateSize); }},
        {"Rewritten",
         [&](HKEY k) { ::RegSetValueExW(k, L"Extra", 0, REG_SZ, lateBytes, lateSize); }},
        {"Retyped",
         [](HKEY k) {
             const wchar_t same[] = L"extra";
             ::RegSetValueExW(k, L"Extra", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(same),
                              sizeof same);
         }},
        {"Removed", [](HKEY k) { ::RegDeleteValueW(k, L"Extra"); }},
        {"Renamed",
         [](HKEY k) {
             const wchar_t same[] = L"extra";
             ::RegDeleteValueW(k, L"Extra");
             ::RegSetValueExW(k, L"Other", 0, REG_SZ, reinterpret_cast<const BYTE*>(same),
                              sizeof same);
         }},
    };
    for (const Case& c : cases) {
        sandbox.AddEntry(Scope::User, c.entry, c.entry);
        const wchar_t extra[] = L"extra";
        sandbox.SetValue(Scope::User, testsupport::Wide(c.entry), L"Extra", REG_SZ, extra,
                         sizeof extra);
        sandbox.AddEntry(Scope::User, std::string(c.entry) + "\\Child");
    }
    Build();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        const std::wstring entryPath =
            std::wstring(kCurrentVersion) + L"\\Uninstall\\" + testsupport::Wide(c.entry);
        testsupport::RegistryApiHooks hooks;
        hooks.NtDeleteKey = [&](HANDLE key) {
            const LONG status = hooks.Previous().NtDeleteKey(key);
            if (hooks.NameOf(key) == "Child") {
                HKEY entry = nullptr;
                ::RegOpenKeyExW(HKEY_CURRENT_USER, entryPath.c_str(), 0, KEY_ALL_ACCESS, &entry);
                c.write(entry);
                ::RegCloseKey(entry);
            }
            return status;
        };
        const RegistryDump before({{HKEY_CURRENT_USER, entryPath, 0, L"entry"}});
        const TRemoval removal = catalogue->RemoveEntry(*Node(TEntryScope::User, c.entry));
        EXPECT_EQ(removal.Result, TRemoval::Outcome::StillListed);
        EXPECT_EQ(removal.Error, catalogue::kErrorKeyChanged);
        EXPECT_EQ(removal.KeysDeleted, 1) << "the child, which the backup holds";
        // The entry's key stays with what was written into it.
        const RegistryDump after({{HKEY_CURRENT_USER, entryPath, 0, L"entry"}});
        EXPECT_EQ(after.KeyCount(), 1u);
        const std::wstring dumped = L"entry\\" + entryPath;
        EXPECT_EQ(before.Differences(after),
                  (std::vector<std::wstring>{dumped, dumped + L"\\Child"}));
        EXPECT_FALSE(removal.BackupPath.empty()) << "the backup of what went is kept";
    }
}

// Names of up to the registry's limit of 255 characters: with the Uninstall path in front, those
// over 208 characters pass the 260 characters of an ANSI path.
TEST_F(RemovalTest, EntriesWithNamesUpToTheRegistrysLimitAreListedBackedUpAndRemoved) {
    const size_t lengths[] = {208, 209, 254, 255};
    for (size_t i = 0; i < std::size(lengths); ++i) {
        const std::string name(lengths[i], static_cast<char>('a' + i));
        sandbox.AddEntry(Scope::User, name, ("Long " + std::to_string(lengths[i])).c_str());
        sandbox.AddEntry(Scope::User, name + "\\Below");
    }
    Build();
    for (size_t i = 0; i < std::size(lengths); ++i) {
        SCOPED_TRACE(lengths[i]);
        const std::string name(lengths[i], static_cast<char>('a' + i));
        const std::wstring wide = testsupport::Wide(name);
        RemoveExactly(
            TEntryScope::User, name,
            {EntryDumpPath(Scope::User, wide), EntryDumpPath(Scope::User, wide + L"\\Below")});
    }
}

TEST_F(RemovalTest, ARootIsNoEntry) {
    Build();
    const TRemoval removal = catalogue->RemoveEntry(*catalogue->UserRoot());
    EXPECT_FALSE(removal.Removed());
    EXPECT_EQ(removal.KeysDeleted, 0);
    EXPECT_EQ(removal.Error, LSTATUS(ERROR_INVALID_PARAMETER));
}

} // namespace

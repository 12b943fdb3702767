// test-lock: registry-uninstall
//
// The catalogue read from the real Uninstall keys of the test prefix (HKLM in both views, HKCU),
// emptied for each test, with failures injected through the registry table.
#include "catalogue/Catalogue.h"
#include "framework/Controls.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/TestForm.h"
#include "tests/support/UninstallSandbox.h"
#include "ui/CatalogueTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <cstring>
#include <functional>
#include <new>
#include <memory>
#include <string>
#include <vector>

namespace {

using TCatalogue = ui::TTreeCatalogue;
using framework::TTreeNode;
using testsupport::Scope;

class CatalogueTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::RegisterWindowClasses(); }
    void SetUp() override { form = std::make_unique<testsupport::TTestForm>(); }

    TCatalogue& Build() {
        catalogue = std::make_unique<TCatalogue>(*form->Tree);
        catalogue->BuildCatalogue();
        return *catalogue;
    }
    static std::vector<std::string> Captions(TTreeNode* root) {
        std::vector<std::string> out;
        for (TTreeNode* n : root->Children())
            out.push_back(n->Text());
        return out;
    }
    static std::vector<int> Positions(TTreeNode* root) {
        std::vector<int> out;
        for (TTreeNode* n : root->Children())
            out.push_back(n->Data());
        return out;
    }
    static std::vector<std::string> Names(const catalogue::TKeyNames& list) {
        return list.AnsiNames();
    }

    testsupport::UninstallSandbox sandbox;
    std::unique_ptr<testsupport::TTestForm> form;
    std::unique_ptr<TCatalogue> catalogue;
};

TEST_F(CatalogueTest, EmptyScopesStillGiveBothRootsInOrderWithEntireSystemSelected) {
    TCatalogue& c = Build();
    auto roots = form->Tree->Roots();
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(roots[0], c.SystemRoot());
    EXPECT_EQ(roots[1], c.UserRoot());
    EXPECT_EQ(c.SystemRoot()->Text(), "Entire System");
    EXPECT_EQ(c.UserRoot()->Text(), "Current User");
    EXPECT_TRUE(c.SystemRoot()->Children().empty());
    EXPECT_TRUE(c.UserRoot()->Children().empty());
    EXPECT_EQ(form->Tree->Selected(), c.SystemRoot());
    ASSERT_FALSE(form->changes.empty()) << "selecting the root is a change of selection";
    EXPECT_EQ(form->changes.back(), c.SystemRoot());
    EXPECT_EQ(c.SystemRoot()->Data(), 0);
    EXPECT_EQ(c.SystemRoot()->ImageIndex(), 0);
}

TEST_F(CatalogueTest, EntriesWithoutACaptionKeepTheirPositionAndGetNoNode) {
    sandbox.AddEntry(Scope::Machine, "A-first", "First Program");
    sandbox.AddEntry(Scope::Machine, "B-nameless");
    sandbox.AddEntry(Scope::Machine, "C-empty", "");
    sandbox.AddEntry(Scope::Machine, "D-fourth", "Fourth Program");
    sandbox.AddEntry(Scope::User, "Z-user", "User Program");
    TCatalogue& c = Build();
    EXPECT_EQ(Names(c.KeyNames(catalogue::TEntryScope::System)),
              (std::vector<std::string>{"A-first", "B-nameless", "C-empty", "D-fourth"}));
    EXPECT_EQ(Captions(c.SystemRoot()),
              (std::vector<std::string>{"First Program", "Fourth Program"}));
    EXPECT_EQ(Positions(c.SystemRoot()), (std::vector<int>{0, 3})) << "positions, not node counts";
    EXPECT_EQ(Captions(c.UserRoot()), std::vector<std::string>{"User Program"});
    EXPECT_EQ(Positions(c.UserRoot()), std::vector<int>{0});
    for (TTreeNode* n : c.SystemRoot()->Children()) {
        EXPECT_EQ(n->ImageIndex(), 1);
        EXPECT_EQ(n->SelectedIndex(), 1);
    }
    EXPECT_TRUE(c.SystemRoot()->Expanded());
    EXPECT_TRUE(c.UserRoot()->Expanded());
}

// One broken or hostile installer must not hide the entries listed after its own: an entry
// whose "DisplayName" is not text is skipped alone, as the system's own list does.
TEST_F(CatalogueTest, ACaptionOfAnotherTypeSkipsThatEntryAlone) {
    for (DWORD type : {DWORD(REG_DWORD), DWORD(REG_BINARY), DWORD(REG_MULTI_SZ)}) {
        SCOPED_TRACE(type);
        testsupport::UninstallSandbox fresh; // empties the keys again for each type
        form = std::make_unique<testsupport::TTestForm>();
        fresh.AddEntry(Scope::Machine, "A", "Kept");
        fresh.AddEntry(Scope::Machine, "B");
        static const char data[] = "x\0y\0";
        fresh.SetValue(Scope::Machine, "B", "DisplayName", type, data, sizeof data);
        fresh.AddEntry(Scope::Machine, "C", "Listed after it");
        fresh.AddEntry(Scope::User, "U1", "User One");
        fresh.AddEntry(Scope::User, "U2", "User Two");
        TCatalogue& c = Build();
        EXPECT_EQ(Captions(c.SystemRoot()), (std::vector<std::string>{"Kept", "Listed after it"}));
        EXPECT_EQ(Positions(c.SystemRoot()), (std::vector<int>{0, 2}));
        EXPECT_EQ(c.KeyNames(catalogue::TEntryScope::System).Count(), 3)
            << "the list still holds every name";
        EXPECT_TRUE(c.SystemRoot()->Expanded());
        EXPECT_EQ(Captions(c.UserRoot()), (std::vector<std::string>{"User One", "User Two"}));
        EXPECT_EQ(form->Tree->Selected(), c.SystemRoot());
    }
}

TEST_F(CatalogueTest, CaptionsAreShownExactlyAsStored) {
    sandbox.AddEntry(Scope::Machine, "A", "Same Name");
    sandbox.AddEntry(Scope::Machine, "B", "Same Name");
    static const char expand[] = "%SystemRoot%\\Tool %USERNAME%";
    sandbox.SetValue(Scope::Machine, "C", "DisplayName", REG_EXPAND_SZ, expand, sizeof expand);
    static const char withNul[] = "Before\0After";
    sandbox.SetValue(Scope::Machine, "D", "DisplayName", REG_SZ, withNul, sizeof withNul);
    sandbox.AddEntry(Scope::Machine, "E \xC3\x89t\xC3\xA9",
                     "Caf\xC3\xA9 \xC3\x89"
                     "diteur \xC2\xA9 2024");
    std::string longCaption(4000, 'L');
    sandbox.AddEntry(Scope::Machine, std::string(200, 'k'), longCaption.c_str());
    // A name of the registry's maximum length is listed at its position too.
    sandbox.AddEntry(Scope::Machine, std::string(255, 'm'), "Longest name");
    TCatalogue& c = Build();
    EXPECT_EQ(Captions(c.SystemRoot()),
              (std::vector<std::string>{"Same Name", "Same Name", expand, "Before",
                                        "Caf\xC3\xA9 \xC3\x89"
                                        "diteur \xC2\xA9 2024",
                                        longCaption, "Longest name"}));
    EXPECT_EQ(Positions(c.SystemRoot()), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(c.KeyNames(catalogue::TEntryScope::System)[4], "E \xC3\x89t\xC3\xA9");
    EXPECT_EQ(c.KeyNames(catalogue::TEntryScope::System)[5], std::string(200, 'k'));
    EXPECT_EQ(c.KeyNames(catalogue::TEntryScope::System)[6], std::string(255, 'm'));
}

TEST_F(CatalogueTest, AnUnopenableUninstallKeyLeavesItsScopeEmptyAndTheOtherLoads) {
    sandbox.AddEntry(Scope::Machine, "M", "Machine Program");
    sandbox.AddEntry(Scope::User, "U", "User Program");
    testsupport::RegistryApiHooks hooks;
    hooks.OpenKeyEx = [&](HKEY base, LPCSTR path, DWORD options, REGSAM access, PHKEY out) {
        // The machine's key refuses full access, as for a user without administrative rights.
        if (base == HKEY_LOCAL_MACHINE)
            return LSTATUS(ERROR_ACCESS_DENIED);
        return hooks.Previous().OpenKeyEx(base, path, options, access, out);
    };
    TCatalogue& c = Build();
    EXPECT_EQ(c.KeyNames(catalogue::TEntryScope::System).Count(), 0);
    EXPECT_TRUE(c.SystemRoot()->Children().empty());
    EXPECT_EQ(Captions(c.UserRoot()), std::vector<std::string>{"User Program"});
    EXPECT_EQ(hooks.StillOpen(), 0u);

    testsupport::UninstallSandbox noKeys;
    noKeys.RemoveUninstallKey(Scope::Machine);
    noKeys.RemoveUninstallKey(Scope::User);
    form = std::make_unique<testsupport::TTestForm>();
    TCatalogue& missing = Build();
    EXPECT_EQ(form->Tree->Count(), 2) << "missing keys: only the roots";
    EXPECT_EQ(missing.KeyNames(catalogue::TEntryScope::User).Count(), 0);
}

TEST_F(CatalogueTest, AnEntryThatVanishesOrCannotBeOpenedIsSkipped) {
    sandbox.AddEntry(Scope::User, "A", "First");
    sandbox.AddEntry(Scope::User, "B", "Vanished");
    sandbox.AddEntry(Scope::User, "C", "Third");
    testsupport::RegistryApiHooks hooks;
    hooks.OpenKeyEx = [&](HKEY base, LPCSTR path, DWORD options, REGSAM access, PHKEY out) {
        if (std::string(path) == "B")
            return LSTATUS(ERROR_FILE_NOT_FOUND);
        return hooks.Previous().OpenKeyEx(base, path, options, access, out);
    };
    TCatalogue& c = Build();
    EXPECT_EQ(Captions(c.UserRoot()), (std::vector<std::string>{"First", "Third"}));
    EXPECT_EQ(Positions(c.UserRoot()), (std::vector<int>{0, 2}));
    EXPECT_EQ(hooks.StillOpen(), 0u);
}

// A caption that vanishes or changes between its size query and its read skips its entry alone;
// a failure of another kind (memory running out) ends the scope's load silently.
TEST_F(CatalogueTest, AReadThatFailsSkipsItsEntryAndAnyOtherFailureEndsTheScope) {
    sandbox.AddEntry(Scope::Machine, "A", "First");
    sandbox.AddEntry(Scope::Machine, "B", "Changed meanwhile");
    sandbox.AddEntry(Scope::Machine, "C", "Third");
    sandbox.AddEntry(Scope::User, "U", "User Program");
    struct Case {
        const char* what;
        std::function<LSTATUS()> read; // what the second entry's read does
        std::vector<std::string> listed;
    };
    for (const Case& c :
         {Case{"vanished", [] { return LSTATUS(ERROR_FILE_NOT_FOUND); }, {"First", "Third"}},
          Case{"grew", [] { return LSTATUS(ERROR_MORE_DATA); }, {"First", "Third"}},
          Case{"out of memory", []() -> LSTATUS { throw std::bad_alloc(); }, {"First"}}}) {
        SCOPED_TRACE(c.what);
        form = std::make_unique<testsupport::TTestForm>();
        testsupport::RegistryApiHooks hooks;
        int reads = 0;
        hooks.QueryValueEx = [&](HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                 LPDWORD size) {
            if (data && ++reads == 2)
                return c.read();
            return hooks.Previous().QueryValueEx(key, name, reserved, type, data, size);
        };
        TCatalogue& cat = Build();
        EXPECT_EQ(Captions(cat.SystemRoot()), c.listed);
        EXPECT_EQ(Captions(cat.UserRoot()), std::vector<std::string>{"User Program"});
        EXPECT_EQ(hooks.StillOpen(), 0u) << "every key is closed, the load interrupted or not";
    }
}

TEST_F(CatalogueTest, AFailedEnumerationStepNeverNamesTheUninstallKeyItself) {
    // The Uninstall key itself carries a "DisplayName": a failed slot read as the entry path
    // prefix plus an empty name would open the Uninstall key and list it as an entry.
    static const char trap[] = "The Uninstall key itself";
    sandbox.SetValue(Scope::User, "", "DisplayName", REG_SZ, trap, sizeof trap);
    sandbox.AddEntry(Scope::User, "A", "First");
    sandbox.AddEntry(Scope::User, "B", "Second");
    sandbox.AddEntry(Scope::User, "C", "Third");
    testsupport::RegistryApiHooks hooks;
    hooks.EnumKeyEx = [&](HKEY key, DWORD index, LPSTR name, LPDWORD length, LPDWORD reserved,
                          LPSTR cls, LPDWORD clsLength, PFILETIME time) {
        if (index == 1)
            return LSTATUS(ERROR_NO_MORE_ITEMS);
        return hooks.Previous().EnumKeyEx(key, index, name, length, reserved, cls, clsLength, time);
    };
    TCatalogue& c = Build();
    EXPECT_EQ(Names(c.KeyNames(catalogue::TEntryScope::User)),
              (std::vector<std::string>{"A", "", "C"}));
    EXPECT_EQ(Captions(c.UserRoot()), (std::vector<std::string>{"First", "Third"}));
    EXPECT_EQ(Positions(c.UserRoot()), (std::vector<int>{0, 2}));
}

TEST_F(CatalogueTest, EntireSystemListsThe64BitViewThenThe32BitViewEachInRegistryOrder) {
    sandbox.AddEntry(Scope::Machine, "Shared", "64-bit Tool");
    sandbox.AddEntry(Scope::Machine, "Native", "Native Tool");
    sandbox.AddEntry(Scope::Machine32, "Shared", "32-bit Tool");
    sandbox.AddEntry(Scope::Machine32, "Legacy", "Legacy Tool");
    sandbox.AddEntry(Scope::User, "Shared", "User Tool");
    testsupport::RegistryApiHooks hooks;
    std::vector<std::pair<HKEY, REGSAM>> opens;
    hooks.OpenKeyEx = [&](HKEY base, LPCSTR path, DWORD options, REGSAM access, PHKEY out) {
        // Each entry is opened below its Uninstall key, the only key opened from the root.
        const bool root = base == HKEY_LOCAL_MACHINE || base == HKEY_CURRENT_USER;
        opens.emplace_back(root ? base : nullptr, access & (KEY_WOW64_32KEY | KEY_WOW64_64KEY));
        return hooks.Previous().OpenKeyEx(base, path, options, access, out);
    };
    TCatalogue& c = Build();
    EXPECT_EQ(Names(c.KeyNames(catalogue::TEntryScope::System)),
              (std::vector<std::string>{"Native", "Shared"}));
    EXPECT_EQ(Names(c.KeyNames(catalogue::TEntryScope::System32)),
              (std::vector<std::string>{"Legacy", "Shared"}));
    EXPECT_EQ(Captions(c.SystemRoot()), (std::vector<std::string>{"Native Tool", "64-bit Tool",
                                                                  "Legacy Tool", "32-bit Tool"}));
    EXPECT_EQ(Positions(c.SystemRoot()), (std::vector<int>{0, 1, 0, 1}));
    std::vector<catalogue::TEntryScope> scopes;
    for (TTreeNode* n : c.SystemRoot()->Children())
        scopes.push_back(*c.ScopeOf(*n));
    using catalogue::TEntryScope;
    EXPECT_EQ(scopes, (std::vector<TEntryScope>{TEntryScope::System, TEntryScope::System,
                                                TEntryScope::System32, TEntryScope::System32}));
    EXPECT_EQ(c.ScopeOf(*c.UserRoot()->Children().at(0)), TEntryScope::User);
    EXPECT_EQ(c.ScopeOf(*c.SystemRoot()), std::nullopt);
    // Every open names its view: 3 + 3 for the machine's views, 2 for the user's hive.
    const std::vector<std::pair<HKEY, REGSAM>> expected = {{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY},
                                                           {nullptr, KEY_WOW64_64KEY},
                                                           {nullptr, KEY_WOW64_64KEY},
                                                           {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY},
                                                           {nullptr, KEY_WOW64_32KEY},
                                                           {nullptr, KEY_WOW64_32KEY},
                                                           {HKEY_CURRENT_USER, 0},
                                                           {nullptr, 0}};
    EXPECT_EQ(opens, expected);
}

TEST_F(CatalogueTest, AnAbandonedViewLeavesTheOtherViewLoading) {
    for (Scope broken : {Scope::Machine, Scope::Machine32}) {
        SCOPED_TRACE(broken == Scope::Machine ? "64-bit view broken" : "32-bit view broken");
        testsupport::UninstallSandbox fresh;
        form = std::make_unique<testsupport::TTestForm>();
        const Scope other = broken == Scope::Machine ? Scope::Machine32 : Scope::Machine;
        fresh.AddEntry(broken, "A", "Broken First");
        fresh.AddEntry(broken, "B", "Broken Second");
        fresh.AddEntry(broken, "C", "Broken Lost");
        fresh.AddEntry(other, "A", "Other First");
        fresh.AddEntry(other, "B", "Other Second");
        // Memory runs out while the broken view's second entry is read.
        testsupport::RegistryApiHooks hooks;
        const REGSAM view = testsupport::ViewOf(broken);
        HKEY second = nullptr;
        hooks.OpenKeyEx = [&](HKEY base, LPCSTR path, DWORD options, REGSAM access, PHKEY out) {
            const LSTATUS status = hooks.Previous().OpenKeyEx(base, path, options, access, out);
            if (status == ERROR_SUCCESS && std::string(path) == "B" && (access & view))
                second = *out;
            return status;
        };
        hooks.QueryValueEx = [&](HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                 LPDWORD size) -> LSTATUS {
            if (key == second) {
                second = nullptr; // the handle may be given again to the next entry's key
                throw std::bad_alloc();
            }
            return hooks.Previous().QueryValueEx(key, name, reserved, type, data, size);
        };
        TCatalogue& c = Build();
        const std::vector<std::string> expected =
            broken == Scope::Machine
                ? std::vector<std::string>{"Broken First", "Other First", "Other Second"}
                : std::vector<std::string>{"Other First", "Other Second", "Broken First"};
        EXPECT_EQ(Captions(c.SystemRoot()), expected);
    }
}

// Names outside code page 1252: "Prog\u03BB" reads as "Prog?" there, which is another key. A lone
// surrogate reads as U+FFFD even under UTF-8, which is yet another key.
TEST_F(CatalogueTest, ANameTheCodePageCannotHoldGetsNoNodeAndNeverNamesAnotherKey) {
    ASSERT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8)) << "the manifest sets UTF-8";
    sandbox.AddEntry(Scope::User, L"Prog?", L"Decoy Question");
    sandbox.AddEntry(Scope::User, L"Prog\u03BB", L"Lambda Tool \u03BB");
    sandbox.AddEntry(Scope::User, L"\u65E5\u672C\u8A9E\u30C4\u30FC\u30EB",
                     L"\u65E5\u672C\u8A9E\u30C4\u30FC\u30EB 2.0");
    sandbox.AddEntry(Scope::User, std::wstring(L"Lone") + wchar_t(0xD800), L"Lone Surrogate");
    sandbox.AddEntry(Scope::User, L"Lone\uFFFD", L"Replacement Decoy");
    struct Case {
        UINT codePage;
        std::vector<std::string> captions;
    };
    const Case cases[] = {
        {CP_UTF8,
         {"Decoy Question", "Lambda Tool \xCE\xBB", "Replacement Decoy",
          "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x84\xE3\x83\xBC\xE3\x83\xAB 2.0"}},
        // As on a system that ignores the manifest: only what 1252 holds.
        {1252, {"Decoy Question"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.codePage);
        testsupport::RegistryApiHooks hooks;
        hooks.AnsiCodePage = [&] { return test.codePage; };
        if (test.codePage != CP_UTF8) {
            // Names come out of the ANSI enumeration as that code page makes them: "Prog\u03BB"
            // as "Prog?", the look-alike of another key.
            hooks.EnumKeyEx = [&](HKEY key, DWORD index, LPSTR name, LPDWORD length, LPDWORD, LPSTR,
                                  LPDWORD, PFILETIME) {
                wchar_t wide[256];
                DWORD wideLength = 256;
                const LSTATUS status = hooks.Previous().EnumKeyExW(
                    key, index, wide, &wideLength, nullptr, nullptr, nullptr, nullptr);
                if (status != ERROR_SUCCESS)
                    return status;
                const int bytes =
                    ::WideCharToMultiByte(test.codePage, 0, wide, static_cast<int>(wideLength),
                                          name, static_cast<int>(*length) - 1, nullptr, nullptr);
                name[bytes] = '\0';
                *length = static_cast<DWORD>(bytes);
                return LSTATUS(ERROR_SUCCESS);
            };
        }
        form = std::make_unique<testsupport::TTestForm>();
        TCatalogue& c = Build();
        auto captions = Captions(c.UserRoot());
        std::sort(captions.begin(), captions.end());
        EXPECT_EQ(captions, test.captions);
        // Each node's name is exactly its own key's: the caption read through it is its own.
        for (TTreeNode* n : c.UserRoot()->Children()) {
            const std::string name = c.KeyNames(catalogue::TEntryScope::User)[n->Data()];
            EXPECT_EQ(n->Text() == "Decoy Question", name == "Prog?") << name;
        }
        EXPECT_EQ(c.KeyNames(catalogue::TEntryScope::User).Count(), 5)
            << "every key keeps its position";
    }
}

TEST_F(CatalogueTest, AnyFailureInsideAScopeLoadIsContained) {
    // Not only registry failures: whatever escapes a step (here a failure of the runtime) ends
    // that view's load silently, and the next one loads.
    sandbox.AddEntry(Scope::Machine, "A", "Machine Program");
    sandbox.AddEntry(Scope::Machine32, "A", "Legacy Program");
    sandbox.AddEntry(Scope::User, "U", "User Program");
    testsupport::RegistryApiHooks hooks;
    int calls = 0;
    hooks.QueryInfoKey = [&](HKEY key, LPSTR cls, LPDWORD clsLength, LPDWORD reserved,
                             LPDWORD subKeys, LPDWORD maxSubKeyLen, LPDWORD maxClassLen,
                             LPDWORD values, LPDWORD maxValueNameLen, LPDWORD maxValueLen,
                             LPDWORD security, PFILETIME written) -> LSTATUS {
        if (++calls == 1)
            throw std::bad_alloc();
        return hooks.Previous().QueryInfoKey(key, cls, clsLength, reserved, subKeys, maxSubKeyLen,
                                             maxClassLen, values, maxValueNameLen, maxValueLen,
                                             security, written);
    };
    TCatalogue& c = Build();
    EXPECT_EQ(Captions(c.SystemRoot()), std::vector<std::string>{"Legacy Program"});
    EXPECT_EQ(Captions(c.UserRoot()), std::vector<std::string>{"User Program"});
    EXPECT_EQ(form->Tree->Selected(), c.SystemRoot());
}

TEST_F(CatalogueTest, KeyNamesKeepTheRegistrysOrderNotByteOrder) {
    // The registry hands names out ignoring case ("alpha" before "Beta"); sorted by bytes "Beta"
    // would come first and every stored position would name the wrong key.
    sandbox.AddEntry(Scope::User, "alpha", "Alpha");
    sandbox.AddEntry(Scope::User, "Beta", "Beta");
    sandbox.AddEntry(Scope::User, "_under", "Under");
    sandbox.AddEntry(Scope::User, "Zulu", "Zulu");
    std::vector<std::string> enumerated;
    {
        HKEY key = nullptr;
        ASSERT_EQ(
            ::RegOpenKeyExA(HKEY_CURRENT_USER, catalogue::kUninstallKeyPath, 0, KEY_READ, &key),
            ERROR_SUCCESS);
        char name[256];
        for (DWORD i = 0, n = sizeof name;
             ::RegEnumKeyExA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
             ++i, n = sizeof name)
            enumerated.push_back(name);
        ::RegCloseKey(key);
    }
    ASSERT_FALSE(std::is_sorted(enumerated.begin(), enumerated.end())) << "the case needs it";
    TCatalogue& c = Build();
    EXPECT_EQ(Names(c.KeyNames(catalogue::TEntryScope::User)), enumerated);
    const std::map<std::string, std::string> captionOf = {
        {"alpha", "Alpha"}, {"Beta", "Beta"}, {"_under", "Under"}, {"Zulu", "Zulu"}};
    ASSERT_EQ(c.UserRoot()->Children().size(), 4u);
    for (TTreeNode* n : c.UserRoot()->Children())
        EXPECT_EQ(n->Text(), captionOf.at(c.KeyNames(catalogue::TEntryScope::User)[n->Data()]));
}

TEST(EntryPath, RefusesNamesThatCannotBeOneKey) {
    EXPECT_EQ(catalogue::EntryPath("Tool"),
              std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool"));
    EXPECT_EQ(catalogue::EntryPath(""), std::nullopt);
    EXPECT_EQ(catalogue::EntryPath("a\\b"), std::nullopt);
    EXPECT_EQ(catalogue::EntryPath("\\"), std::nullopt);
}

} // namespace

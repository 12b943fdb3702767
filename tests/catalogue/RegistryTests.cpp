// RegistryTests.cpp - TRegistry on the real registry of the test prefix (a scratch key under HKCU)
// and with failures injected through the registry table. Every test runs under RegistryApiHooks,
// and the fixture checks that each key handle the wrapper opened was closed exactly once (which
// covers the closing of the current key when a wrapper is destroyed).
#include "catalogue/Registry.h"
#include "tests/support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using catalogue::ERegistryException;
using catalogue::RegValueKind;
using catalogue::TRegistry;
using testsupport::RegistryApiHooks;
using testsupport::RegistrySandbox;

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(hooks.StillOpen(), 0u) << "key handles left open";
        EXPECT_EQ(hooks.StrayCloses(), 0) << "closes of handles not open";
        EXPECT_EQ(hooks.Opens(), hooks.Closes());
    }

    // The absolute path (leading "\\") of a sandbox key.
    std::string Absolute(const std::string& relative) const {
        std::string path = "\\";
        path += sandbox.PathOf(relative);
        return path;
    }

    // Makes the sandbox key relative the wrapper's current key, opened by its absolute path.
    void OpenInSandbox(TRegistry& reg, const std::string& relative) {
        ASSERT_TRUE(reg.OpenPath(Absolute(relative)));
    }

    // What ListSubkeys gives for the sandbox key relative, opened by a fresh wrapper.
    std::vector<std::string> Listed(const std::string& relative) {
        TRegistry reg;
        EXPECT_TRUE(reg.OpenPath(Absolute(relative)));
        catalogue::TKeyNames list;
        reg.ListSubkeys(list);
        return list.AnsiNames();
    }

    // The message of the ERegistryException that ReadText raises, or "" when it raises none.
    static std::string ReadTextError(TRegistry& reg, const std::string& name) {
        try {
            reg.ReadText(name);
        } catch (const ERegistryException& e) {
            EXPECT_STREQ(e.ClassName(), "ERegistryException");
            return e.Message();
        }
        return {};
    }

    RegistrySandbox sandbox;
    RegistryApiHooks hooks;
};

// --- Opening and the current path ----------------------------------------------------------------

TEST_F(RegistryTest, RelativeAndAbsoluteOpensSetTheCurrentPath) {
    sandbox.CreateKey("a\\b");
    sandbox.CreateKey("c");
    std::vector<REGSAM> access;
    hooks.OpenKeyEx = [&](HKEY base, LPCSTR sub, DWORD options, REGSAM sam, PHKEY out) {
        access.push_back(sam);
        return hooks.Previous().OpenKeyEx(base, sub, options, sam, out);
    };
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    EXPECT_EQ(reg.CurrentPath(), "");
    // Relative without a current key: below the root, the path exactly as given.
    ASSERT_TRUE(reg.OpenPath(sandbox.PathOf("a")));
    EXPECT_EQ(reg.CurrentPath(), sandbox.PathOf("a"));
    // Relative with a current key: below it, the paths joined.
    ASSERT_TRUE(reg.OpenPath("b"));
    EXPECT_EQ(reg.CurrentPath(), sandbox.PathOf("a\\b"));
    // Absolute with a current key: below the root, without the leading "\".
    ASSERT_TRUE(reg.OpenPath(Absolute("c")));
    EXPECT_EQ(reg.CurrentPath(), sandbox.PathOf("c"));
    EXPECT_EQ(access, std::vector<REGSAM>(3, KEY_ALL_ACCESS));
    // The previously current keys were closed as each new one became current.
    EXPECT_EQ(hooks.StillOpen(), 1u);
    reg.ClosePath();
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_EQ(hooks.StillOpen(), 0u);
}

TEST_F(RegistryTest, TheCurrentKeyIsTheOneOpened) {
    sandbox.SetString("a\\b", "Which", L"b");
    sandbox.SetString("b", "Which", L"top b");
    TRegistry reg;
    OpenInSandbox(reg, "a");
    ASSERT_TRUE(reg.OpenPath("b"));
    EXPECT_EQ(reg.ReadText("Which"), "b");
}

TEST_F(RegistryTest, AFailedOpenChangesNothingAndCreatesNothing) {
    sandbox.CreateKey("a");
    TRegistry reg;
    EXPECT_FALSE(reg.OpenPath(sandbox.PathOf("missing")));
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    EXPECT_EQ(reg.CurrentPath(), "");

    OpenInSandbox(reg, "a");
    const HKEY current = reg.CurrentKey();
    EXPECT_FALSE(reg.OpenPath("missing"));
    EXPECT_FALSE(reg.OpenPath(Absolute("missing")));
    EXPECT_EQ(reg.CurrentKey(), current);
    EXPECT_EQ(reg.CurrentPath(), sandbox.PathOf("a"));
    EXPECT_FALSE(sandbox.KeyExists("missing"));
    EXPECT_FALSE(sandbox.KeyExists("a\\missing"));
}

TEST_F(RegistryTest, SelectRootClosesTheCurrentKeyOnlyWhenTheRootChanges) {
    sandbox.CreateKey("a");
    TRegistry reg;
    OpenInSandbox(reg, "a");
    const HKEY current = reg.CurrentKey();
    reg.SelectRoot(HKEY_CURRENT_USER);
    EXPECT_EQ(reg.CurrentKey(), current);

    reg.SelectRoot(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.RootKey(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_EQ(hooks.StillOpen(), 0u);
    // Paths are now taken from the machine root, where the scratch key does not exist.
    EXPECT_FALSE(reg.OpenPath(sandbox.PathOf("a")));
}

TEST_F(RegistryTest, OpenHandleLeavesTheCurrentKeyAlone) {
    sandbox.CreateKey("a\\b");
    TRegistry reg;
    OpenInSandbox(reg, "a");
    const HKEY current = reg.CurrentKey();
    {
        catalogue::UniqueHkey b = reg.OpenHandle("b");
        EXPECT_TRUE(b);
        EXPECT_FALSE(reg.OpenHandle("missing"));
        EXPECT_EQ(hooks.StillOpen(), 2u);
    }
    EXPECT_EQ(reg.CurrentKey(), current);
    EXPECT_EQ(reg.CurrentPath(), sandbox.PathOf("a"));
    EXPECT_EQ(hooks.StillOpen(), 1u);
}

// --- Reading values ------------------------------------------------------------------------------

TEST_F(RegistryTest, ReadTextGivesEmptyTextForMissingAndEmptyValuesOfAnyType) {
    sandbox.SetValue("k", "EmptySz", REG_SZ, nullptr, 0);
    sandbox.SetValue("k", "EmptyDword", REG_DWORD, nullptr, 0);
    sandbox.SetValue("k", "EmptyBinary", REG_BINARY, nullptr, 0);
    TRegistry reg;
    // No current key at all.
    EXPECT_EQ(reg.ReadText("DisplayName"), "");
    OpenInSandbox(reg, "k");
    EXPECT_EQ(reg.ReadText("DisplayName"), "");
    EXPECT_EQ(reg.ReadText("EmptySz"), "");
    EXPECT_EQ(reg.ReadText("EmptyDword"), "");
    EXPECT_EQ(reg.ReadText("EmptyBinary"), "");
}

TEST_F(RegistryTest, ReadTextRefusesValuesThatAreNotText) {
    const BYTE bytes[] = {'a', 'b', 0};
    const wchar_t multi[] = L"a\0b\0";
    sandbox.SetDword("k", "DisplayName", 7);
    sandbox.SetValue("k", "Binary", REG_BINARY, bytes, sizeof(bytes));
    sandbox.SetValue("k", "Multi", REG_MULTI_SZ, multi, sizeof(multi));
    TRegistry reg;
    OpenInSandbox(reg, "k");
    EXPECT_EQ(ReadTextError(reg, "DisplayName"), "Invalid data type for 'DisplayName'");
    EXPECT_EQ(ReadTextError(reg, "Binary"), "Invalid data type for 'Binary'");
    EXPECT_EQ(ReadTextError(reg, "Multi"), "Invalid data type for 'Multi'");
}

TEST_F(RegistryTest, ReadTextStopsAtTheFirstNulAndNeverReadsPastTheData) {
    const wchar_t embedded[] = L"Before\0After";
    sandbox.SetValue("k", "Embedded", REG_SZ, embedded, sizeof(embedded));
    sandbox.SetString("k", "NoNul", L"abc", REG_SZ, false);
    sandbox.SetString("k", "Expand", L"%SystemRoot%\\app.exe", REG_EXPAND_SZ);
    TRegistry reg;
    OpenInSandbox(reg, "k");
    EXPECT_EQ(reg.ReadText("Embedded"), "Before");
    EXPECT_EQ(reg.ReadText("NoNul"), "abc");
    // An expanded string comes back as stored, the reference not expanded.
    EXPECT_EQ(reg.ReadText("Expand"), "%SystemRoot%\\app.exe");
}

TEST_F(RegistryTest, ReadTextOfAStringWithoutNulThatFillsItsWholeSize) {
    // Windows may hand out a REG_SZ without its NUL and size it exactly; Wine's ANSI conversion
    // adds one, so the registry's answer is imitated here. Before the read the heap is left with
    // a freed block of 'Z's just larger than the data, which the read's buffer is likely to
    // reuse: text read past the data would then end in 'Z's instead of stopping.
    const std::string text(4090, 'x');
    hooks.QueryValueEx = [&](HKEY, LPCSTR, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
        *type = REG_SZ;
        if (!data) {
            std::vector<char> bait(text.size() + 6, 'Z');
        } else {
            if (*size < text.size())
                return static_cast<LSTATUS>(ERROR_MORE_DATA);
            std::memcpy(data, text.data(), text.size());
        }
        *size = static_cast<DWORD>(text.size());
        return static_cast<LSTATUS>(ERROR_SUCCESS);
    };
    TRegistry reg;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::string got = reg.ReadText("DisplayName");
        EXPECT_EQ(got.size(), text.size());
        EXPECT_EQ(got.find_first_not_of('x'), std::string::npos);
    }
}

TEST_F(RegistryTest, ReadTextOfLargeAndNonAsciiText) {
    const std::wstring large(65536, L'L');
    const std::wstring accented = L"Caf\u00e9 \u00fcber \u00c5";
    sandbox.SetString("k", "Large", large);
    sandbox.SetString("k", "Accented", accented);
    char expected[64] = {};
    ASSERT_GT(::WideCharToMultiByte(CP_ACP, 0, accented.c_str(), -1, expected, sizeof(expected),
                                    nullptr, nullptr),
              0);
    TRegistry reg;
    OpenInSandbox(reg, "k");
    EXPECT_EQ(reg.ReadText("Large"), std::string(65536, 'L'));
    EXPECT_EQ(reg.ReadText("Accented"), expected);
}

TEST_F(RegistryTest, AFailedReadRaisesAndLeavesTheWrapperUsable) {
    sandbox.SetString("k", "DisplayName", L"Name");
    bool failReads = true;
    hooks.QueryValueEx = [&](HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
        // The size query succeeds; the value then "vanishes" before the read.
        if (data && failReads)
            return static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND);
        return hooks.Previous().QueryValueEx(key, name, reserved, type, data, size);
    };
    TRegistry reg;
    OpenInSandbox(reg, "k");
    const HKEY current = reg.CurrentKey();
    EXPECT_EQ(ReadTextError(reg, "DisplayName"), "Failed to get data for 'DisplayName'");
    EXPECT_EQ(reg.CurrentKey(), current);
    EXPECT_EQ(reg.CurrentPath(), sandbox.PathOf("k"));
    failReads = false;
    EXPECT_EQ(reg.ReadText("DisplayName"), "Name");
}

TEST_F(RegistryTest, ReadRawReportsKindAndBytesAndValueSizeTheSize) {
    const BYTE binary[] = {1, 2, 3, 4, 5};
    const ULONGLONG qword = 0x0102030405060708ull;
    sandbox.SetString("k", "Sz", L"ab");
    sandbox.SetString("k", "Expand", L"ab", REG_EXPAND_SZ);
    sandbox.SetDword("k", "Dword", 0x11223344);
    sandbox.SetValue("k", "Binary", REG_BINARY, binary, sizeof(binary));
    sandbox.SetValue("k", "Qword", REG_QWORD, &qword, sizeof(qword));
    sandbox.SetValue("k", "Multi", REG_MULTI_SZ, L"a\0", 3 * sizeof(wchar_t));
    struct Case {
        const char* name;
        RegValueKind kind;
        int32_t size;
    } const cases[] = {
        {"Sz", RegValueKind::String, 3},     {"Expand", RegValueKind::ExpandString, 3},
        {"Dword", RegValueKind::Integer, 4}, {"Binary", RegValueKind::Binary, 5},
        {"Qword", RegValueKind::Other, 8},   {"Multi", RegValueKind::Other, 3}};
    TRegistry reg;
    EXPECT_EQ(reg.ValueSize("Sz"), -1) << "no current key";
    OpenInSandbox(reg, "k");
    EXPECT_EQ(reg.ValueSize("Missing"), -1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(reg.ValueSize(c.name), c.size);
        std::vector<BYTE> buffer(64, 0xCC);
        RegValueKind kind = RegValueKind::Other;
        EXPECT_EQ(reg.ReadRaw(c.name, buffer.data(), 64, kind), c.size);
        EXPECT_EQ(kind, c.kind);
    }
    DWORD dword = 0;
    RegValueKind kind = RegValueKind::Other;
    reg.ReadRaw("Dword", &dword, sizeof(dword), kind);
    EXPECT_EQ(dword, 0x11223344u);
}

// --- Key information and subkey lists ------------------------------------------------------------

TEST_F(RegistryTest, QueryKeyInfoReportsTheKey) {
    sandbox.CreateKey("k\\short");
    sandbox.CreateKey("k\\longer-name");
    sandbox.SetDword("k", "v", 1);
    sandbox.SetValue("k", "value-name", REG_BINARY, std::vector<BYTE>(100, 1));
    TRegistry reg;
    catalogue::TRegKeyInfo info;
    info.NumSubKeys = 99;
    EXPECT_FALSE(reg.QueryKeyInfo(info)) << "no current key";
    EXPECT_EQ(info.NumSubKeys, 0u) << "the record is zeroed before the query";
    OpenInSandbox(reg, "k");
    ASSERT_TRUE(reg.QueryKeyInfo(info));
    EXPECT_EQ(info.NumSubKeys, 2u);
    EXPECT_GE(info.MaxSubKeyLen, 11u);
    EXPECT_EQ(info.NumValues, 2u);
    EXPECT_GE(info.MaxValueLen, 10u);
    EXPECT_EQ(info.MaxDataLen, 100u);
    EXPECT_NE(info.FileTime.dwHighDateTime, 0u);
}

TEST_F(RegistryTest, ListSubkeysIsEmptyWithoutKeyOrSubkeysAndWhenTheQueryFails) {
    sandbox.CreateKey("empty");
    sandbox.CreateKey("full\\a");
    catalogue::TKeyNames list;
    list.Add(catalogue::TKeyName::FromAnsi("stale"));
    TRegistry reg;
    reg.ListSubkeys(list);
    EXPECT_EQ(list.Count(), 0);

    OpenInSandbox(reg, "empty");
    list.Add(catalogue::TKeyName::FromAnsi("stale"));
    reg.ListSubkeys(list);
    EXPECT_EQ(list.Count(), 0);

    hooks.QueryInfoKey = [](HKEY, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                            LPDWORD, LPDWORD, LPDWORD,
                            PFILETIME) { return static_cast<LSTATUS>(ERROR_ACCESS_DENIED); };
    ASSERT_TRUE(reg.OpenPath(Absolute("full")));
    catalogue::TRegKeyInfo info;
    EXPECT_FALSE(reg.QueryKeyInfo(info));
    list.Add(catalogue::TKeyName::FromAnsi("stale"));
    reg.ListSubkeys(list);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(RegistryTest, ListSubkeysKeepsEnumerationOrderAndFullLengthNames) {
    const std::string longest(255, 'n');
    for (const char* name : {"beta", "Alpha", "gamma", "delta"})
        sandbox.CreateKey(std::string("k\\") + name);
    sandbox.CreateKey("k\\" + longest);
    const std::vector<std::string> got = Listed("k");
    EXPECT_EQ(got, sandbox.SubkeyNames("k"));
    EXPECT_EQ(got.size(), 5u);
    EXPECT_NE(std::find(got.begin(), got.end(), longest), got.end());
}

TEST_F(RegistryTest, AFailedEnumerationStepGivesAnEmptyNameAtItsIndex) {
    for (const char* name : {"a", "b", "c", "d"})
        sandbox.CreateKey(std::string("k\\") + name);
    hooks.EnumKeyEx = [&](HKEY key, DWORD index, LPSTR name, LPDWORD length, LPDWORD reserved,
                          LPSTR cls, LPDWORD clsLength, PFILETIME written) {
        if (index == 1) // untouched buffer: must not leak the previous index's name
            return static_cast<LSTATUS>(ERROR_ACCESS_DENIED);
        if (index == 2) { // a partly filled buffer, as ERROR_MORE_DATA can leave it
            std::strcpy(name, "x");
            return static_cast<LSTATUS>(ERROR_MORE_DATA);
        }
        return hooks.Previous().EnumKeyEx(key, index, name, length, reserved, cls, clsLength,
                                          written);
    };
    EXPECT_EQ(Listed("k"), (std::vector<std::string>{"a", "", "", "d"}));
}

TEST_F(RegistryTest, ANameWithANulInsideTakesItsPositionAsTheEmptyName) {
    // "Foo\0Bar" cut at its NUL would name the sibling "Foo".
    sandbox.CreateKey("k\\Foo");
    sandbox.CreateKey("k\\Odd");
    hooks.EnumKeyEx = [&](HKEY key, DWORD index, LPSTR name, LPDWORD length, LPDWORD reserved,
                          LPSTR cls, LPDWORD clsLength, PFILETIME written) {
        const LSTATUS status =
            hooks.Previous().EnumKeyEx(key, index, name, length, reserved, cls, clsLength, written);
        if (status == ERROR_SUCCESS && std::string(name) == "Odd" && *length >= 3) {
            std::memcpy(name, "Foo\0Bar", 8);
            *length = 7;
        }
        return status;
    };
    EXPECT_EQ(Listed("k"), (std::vector<std::string>{"Foo", ""}));
}

TEST(Separators, AreFoundCharacterByCharacterInTheCodePageInForce) {
    struct Case {
        UINT codePage;
        std::string text;
        std::vector<size_t> separators;
    };
    // Under code page 932 the second byte of U+30BD (0x83 0x5C) is no separator.
    const Case cases[] = {{932, "\x83\x5C", {}},
                          {932, "a\\\x83\x5C\\b", {1, 4}},
                          {1252, "\x83\x5C", {1}},
                          {CP_UTF8, "\\a\\", {0, 2}}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.codePage);
        RegistryApiHooks hooks;
        hooks.AnsiCodePage = [&] { return test.codePage; };
        EXPECT_EQ(catalogue::SeparatorPositions(test.text), test.separators);
        EXPECT_EQ(catalogue::HoldsSeparator(test.text), !test.separators.empty());
    }
}

TEST_F(RegistryTest, AStringLongerThanItsSizeQuerySaidIsReadAtTheSizeTheReadAsksFor) {
    sandbox.SetString("v", "Name", L"\u65E5\u672C\u8A9E");
    hooks.QueryValueEx = [&](HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
        const LSTATUS status = hooks.Previous().QueryValueEx(key, name, reserved, type, data, size);
        // A size query that counted fewer bytes than the ANSI text needs.
        if (!data && status == ERROR_SUCCESS && *size > 4)
            *size -= 4;
        return status;
    };
    TRegistry reg;
    OpenInSandbox(reg, "v");
    EXPECT_EQ(reg.ReadText("Name"), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
}

TEST_F(RegistryTest, SubkeysGoneBetweenQueryAndEnumerationStillTakeTheirPositions) {
    sandbox.CreateKey("k\\a");
    hooks.AfterQueryInfoKey([](HKEY, LPDWORD subKeys) { *subKeys += 2; });
    EXPECT_EQ(Listed("k"), (std::vector<std::string>{"a", "", ""}));
}

// --- Deleting trees -----------------------------------------------------------------------------

class DeleteTreeTest : public RegistryTest {
protected:
    void SetUp() override {
        // t\a\a1\a11, t\b\b1 and a sibling of t that must survive every deletion of t.
        sandbox.CreateKey("t\\a\\a1\\a11");
        sandbox.CreateKey("t\\b\\b1");
        sandbox.CreateKey("sibling\\s1");
        hooks.NtDeleteKey = [this](HANDLE key) {
            const std::string name = hooks.NameOf(key);
            deleted.push_back(name);
            const LONG status = refuse == name ? LONG(0xC0000022L) // STATUS_ACCESS_DENIED
                                               : hooks.Previous().NtDeleteKey(key);
            if (status == 0)
                succeeded.push_back(name);
            return status;
        };
    }

    // Position of a deletion call by its subkey name; fails the test when there was none.
    size_t PositionOf(const std::string& name) const {
        const auto it = std::find(succeeded.begin(), succeeded.end(), name);
        EXPECT_NE(it, succeeded.end()) << name << " was not deleted";
        return static_cast<size_t>(it - succeeded.begin());
    }

    void ExpectSiblingIntact() const { EXPECT_TRUE(sandbox.KeyExists("sibling\\s1")); }

    std::vector<std::string> deleted;   // every deletion call, by the name opened, in order
    std::vector<std::string> succeeded; // the calls that deleted their key
    std::string refuse;                 // a subkey name whose deletion the registry refuses
};

TEST_F(DeleteTreeTest, DeletesChildrenBeforeParentsAndReturnsTrue) {
    TRegistry reg;
    EXPECT_TRUE(reg.DeleteTree(sandbox.PathOf("t")));
    EXPECT_FALSE(sandbox.KeyExists("t"));
    ExpectSiblingIntact();
    ASSERT_EQ(succeeded.size(), 6u);
    EXPECT_LT(PositionOf("a11"), PositionOf("a1"));
    EXPECT_LT(PositionOf("a1"), PositionOf("a"));
    // The key itself goes last.
    EXPECT_LT(PositionOf("a"), PositionOf("t"));
    EXPECT_LT(PositionOf("b1"), PositionOf("b"));
    EXPECT_LT(PositionOf("b"), PositionOf("t"));
}

TEST_F(DeleteTreeTest, WorksBelowTheCurrentKeyAndKeepsIt) {
    TRegistry reg;
    OpenInSandbox(reg, "t");
    const HKEY current = reg.CurrentKey();
    EXPECT_TRUE(reg.DeleteTree("a"));
    EXPECT_EQ(reg.CurrentKey(), current);
    EXPECT_EQ(reg.CurrentPath(), sandbox.PathOf("t"));
    EXPECT_FALSE(sandbox.KeyExists("t\\a"));
    EXPECT_TRUE(sandbox.KeyExists("t\\b\\b1"));
    // Absolute while a key is current: from the root.
    EXPECT_TRUE(reg.DeleteTree(Absolute("t\\b")));
    EXPECT_FALSE(sandbox.KeyExists("t\\b"));
    EXPECT_EQ(sandbox.SubkeyNames("t"), std::vector<std::string>{});
}

TEST_F(DeleteTreeTest, AKeyThatCannotBeOpenedAsItselfIsNotDeletedByPath) {
    // Missing, or refused: a delete by path could follow a link, so none is tried.
    for (LSTATUS refusal : {LSTATUS(ERROR_SUCCESS), LSTATUS(ERROR_ACCESS_DENIED)}) {
        SCOPED_TRACE(refusal);
        hooks.OpenKeyEx = [&](HKEY base, LPCSTR sub, DWORD options, REGSAM sam, PHKEY out) {
            if (refusal != ERROR_SUCCESS && std::string("t") == sub)
                return refusal;
            return hooks.Previous().OpenKeyEx(base, sub, options, sam, out);
        };
        TRegistry reg;
        const std::string path = sandbox.PathOf(refusal == ERROR_SUCCESS ? "missing" : "t");
        EXPECT_FALSE(reg.DeleteTree(path));
        EXPECT_TRUE(deleted.empty());
        EXPECT_EQ(reg.LastDelete().KeysDeleted, 0);
        EXPECT_EQ(reg.LastDelete().Refusal,
                  refusal == ERROR_SUCCESS ? LSTATUS(ERROR_FILE_NOT_FOUND) : refusal);
        EXPECT_TRUE(sandbox.KeyExists("t\\a\\a1\\a11"));
        ExpectSiblingIntact();
    }
}

TEST_F(DeleteTreeTest, AViewNamesEveryOpenAndEveryKeyIsDeletedThroughItsHandle) {
    std::vector<REGSAM> openViews;
    hooks.OpenKeyEx = [&](HKEY base, LPCSTR sub, DWORD options, REGSAM sam, PHKEY out) {
        openViews.push_back(sam & (KEY_WOW64_32KEY | KEY_WOW64_64KEY));
        return hooks.Previous().OpenKeyEx(base, sub, options, sam, out);
    };
    // The user's hive has one view, so both flags reach the same keys here.
    for (REGSAM view : {REGSAM(KEY_WOW64_64KEY), REGSAM(KEY_WOW64_32KEY)}) {
        SCOPED_TRACE(view);
        sandbox.CreateKey("t\\a\\a1\\a11");
        sandbox.CreateKey("t\\b\\b1");
        openViews.clear();
        succeeded.clear();
        TRegistry reg;
        reg.SetView(view);
        EXPECT_TRUE(reg.DeleteTree(sandbox.PathOf("t")));
        // The keys above it, one level at a time, the six keys of the tree, and the look below
        // the parent that tells that the key is gone.
        const std::string path = sandbox.PathOf("t");
        const size_t above = std::count(path.begin(), path.end(), '\\');
        EXPECT_EQ(openViews, std::vector<REGSAM>(above + 7, view));
        EXPECT_EQ(succeeded.size(), 6u) << "each key through the handle that opened it";
        EXPECT_EQ(reg.LastDelete().KeysDeleted, 6);
        EXPECT_TRUE(reg.LastDelete().Gone);
        EXPECT_FALSE(sandbox.KeyExists("t"));
    }
    ExpectSiblingIntact();
}

TEST_F(DeleteTreeTest, ARefusedSubkeyKeepsItsParentsWhileSiblingsGo) {
    refuse = "a1";
    TRegistry reg;
    EXPECT_FALSE(reg.DeleteTree(sandbox.PathOf("t")));
    // The first refusal is reported, not the refusals of the parents it kept.
    EXPECT_EQ(reg.LastDelete().Refusal, LSTATUS(ERROR_ACCESS_DENIED));
    EXPECT_EQ(reg.LastDelete().KeysDeleted, 3) << "a11, b1 and b";
    EXPECT_TRUE(sandbox.KeyExists("t\\a\\a1"));
    EXPECT_FALSE(sandbox.KeyExists("t\\a\\a1\\a11"));
    EXPECT_FALSE(sandbox.KeyExists("t\\b"));
    ExpectSiblingIntact();
}

TEST_F(DeleteTreeTest, PathsWithAnEmptyComponentAreRefusedUntouched) {
    TRegistry reg;
    OpenInSandbox(reg, "t");
    for (const std::string& path :
         {std::string(), std::string("\\"), std::string("a\\"), std::string("a\\\\a1"),
          std::string("\\\\") + sandbox.PathOf("t"), Absolute("t") + "\\"}) {
        SCOPED_TRACE("path \"" + path + "\"");
        EXPECT_FALSE(reg.DeleteTree(path));
    }
    EXPECT_TRUE(deleted.empty());
    EXPECT_EQ(hooks.Opens(), 1) << "only the current key was opened";
    EXPECT_TRUE(sandbox.KeyExists("t\\a\\a1\\a11"));
    EXPECT_TRUE(sandbox.KeyExists("t\\b\\b1"));
}

TEST_F(DeleteTreeTest, EnumeratedNamesThatAreEmptyOrHoldABackslashAreSkipped) {
    // The registry hands out "" for t's first subkey and "b\b1" for its second.
    HKEY tKey = nullptr;
    hooks.OpenKeyEx = [&](HKEY base, LPCSTR sub, DWORD options, REGSAM sam, PHKEY out) {
        const LSTATUS status = hooks.Previous().OpenKeyEx(base, sub, options, sam, out);
        if (status == ERROR_SUCCESS && std::string("t") == sub)
            tKey = *out;
        return status;
    };
    hooks.EnumKeyEx = [&](HKEY key, DWORD index, LPSTR name, LPDWORD length, LPDWORD reserved,
                          LPSTR cls, LPDWORD clsLength, PFILETIME written) {
        if (key == tKey && index < 2) {
            std::strcpy(name, index == 0 ? "" : "b\\b1");
            *length = static_cast<DWORD>(std::strlen(name));
            return static_cast<LSTATUS>(ERROR_SUCCESS);
        }
        return hooks.Previous().EnumKeyEx(key, index, name, length, reserved, cls, clsLength,
                                          written);
    };
    TRegistry reg;
    EXPECT_FALSE(reg.DeleteTree(sandbox.PathOf("t")));
    EXPECT_EQ(deleted, std::vector<std::string>{"t"});
    EXPECT_TRUE(sandbox.KeyExists("t\\a\\a1\\a11"));
    EXPECT_TRUE(sandbox.KeyExists("t\\b\\b1"));
}

TEST_F(DeleteTreeTest, AKeyThatCannotBeCheckedForALinkIsLeftAlone) {
    hooks.QueryValueEx = [&](HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
        if (std::strcmp(name, "SymbolicLinkValue") == 0)
            return static_cast<LSTATUS>(ERROR_ACCESS_DENIED);
        return hooks.Previous().QueryValueEx(key, name, reserved, type, data, size);
    };
    TRegistry reg;
    EXPECT_FALSE(reg.DeleteTree(sandbox.PathOf("t\\b\\b1")));
    EXPECT_TRUE(sandbox.KeyExists("t\\b\\b1"));
    EXPECT_TRUE(deleted.empty());
}

class DeleteTreeLinkTest : public DeleteTreeTest {
protected:
    void SetUp() override {
        DeleteTreeTest::SetUp();
        // target\c1 with a value, and an empty target; links to both.
        sandbox.SetString("target\\c1", "Keep", L"yes");
        sandbox.CreateKey("emptytarget");
        sandbox.CreateLink("t\\a\\link", "target");
        sandbox.CreateLink("toplink", "target");
        sandbox.CreateLink("emptylink", "emptytarget");
        ASSERT_TRUE(sandbox.IsLink("t\\a\\link"));
        ASSERT_FALSE(sandbox.IsLink("target"));
    }

    void ExpectTargetsIntact() const {
        EXPECT_TRUE(sandbox.KeyExists("target\\c1"));
        EXPECT_TRUE(sandbox.KeyExists("emptytarget"));
        EXPECT_EQ(sandbox.SubkeyNames("target"), std::vector<std::string>{"c1"});
    }
};

TEST_F(DeleteTreeLinkTest, ALinkIsDeletedAsTheLinkAndItsTargetStays) {
    TRegistry reg;
    // A link below the key, and keys that are links themselves.
    EXPECT_TRUE(reg.DeleteTree(sandbox.PathOf("t")));
    EXPECT_EQ(reg.LastDelete().KeysDeleted, 7) << "six keys and the link";
    EXPECT_TRUE(reg.DeleteTree(sandbox.PathOf("toplink")));
    EXPECT_TRUE(reg.DeleteTree(sandbox.PathOf("emptylink")));
    // Every key through the handle that opened it as itself, the links as the links.
    EXPECT_EQ(succeeded.size(), 9u);
    for (const char* link : {"link", "toplink", "emptylink"})
        EXPECT_EQ(std::count(succeeded.begin(), succeeded.end(), link), 1) << link;
    EXPECT_FALSE(sandbox.KeyExists("t"));
    EXPECT_FALSE(sandbox.KeyExists("toplink"));
    EXPECT_FALSE(sandbox.KeyExists("emptylink"));
    ExpectTargetsIntact();
    ExpectSiblingIntact();
}

TEST_F(DeleteTreeLinkTest, ALinkAboveTheKeyStopsTheDeletion) {
    // "toplink\c1" names target\c1 through the link: that is another tree, so it stays.
    TRegistry reg;
    EXPECT_FALSE(reg.DeleteTree(sandbox.PathOf("toplink\\c1")));
    EXPECT_EQ(reg.LastDelete().Refusal, catalogue::kErrorLinkAbove);
    EXPECT_EQ(reg.LastDelete().KeysDeleted, 0);
    EXPECT_TRUE(deleted.empty());
    EXPECT_TRUE(sandbox.IsLink("toplink"));
    ExpectTargetsIntact();
}

TEST_F(DeleteTreeLinkTest, ALinkThatCannotBeDeletedKeepsItsParentsAndIsReported) {
    refuse = "link";
    TRegistry reg;
    EXPECT_FALSE(reg.DeleteTree(sandbox.PathOf("t")));
    EXPECT_EQ(reg.LastDelete().Refusal, LSTATUS(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(sandbox.IsLink("t\\a\\link"));
    EXPECT_FALSE(sandbox.KeyExists("t\\a\\a1"));
    ExpectTargetsIntact();
}

TEST_F(DeleteTreeLinkTest, TheNativeDeleteWouldFollowALink) {
    // Why links must be caught before RegDeleteKeyA: it acts on the link's target.
    ASSERT_EQ(::RegDeleteKeyA(HKEY_CURRENT_USER, sandbox.PathOf("emptylink").c_str()),
              ERROR_SUCCESS);
    EXPECT_FALSE(sandbox.KeyExists("emptytarget"));
    EXPECT_TRUE(sandbox.IsLink("emptylink"));
}

} // namespace

// test-lock: registry-uninstall
// test-lock: theme
//
// The registry dump that the removal tests prove their claims with: read in bulk, it holds what a
// walk key by key finds (odd names and values, volatile keys and links included), and it catches
// one changed byte, a changed type, an added or a removed key anywhere in both hives, volatile
// keys included. The test changes keys of its own all over both hives, hence the lock that every
// program comparing dumps holds; and no program may switch the visual style (which writes HKCU's
// ThemeManager key) between the dumps it compares.
#include "tests/support/RegistryDump.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using testsupport::DumpWholeRegistry;
using testsupport::RegistryDump;

// Drops the keys that other test programs, running alongside, change meanwhile.
std::vector<std::wstring> NotOtherTests(std::vector<std::wstring> paths) {
    const std::wstring ours = testsupport::Wide(testsupport::TestProgramName());
    std::erase_if(paths, [&](const std::wstring& p) {
        return p.find(L"\\OrdanelTests\\") != std::wstring::npos &&
               p.find(L"\\OrdanelTests\\" + ours) == std::wstring::npos;
    });
    return paths;
}

bool Contains(const std::vector<std::wstring>& paths, const std::wstring& path) {
    return std::find(paths.begin(), paths.end(), path) != paths.end();
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(::towlower(c));
    return text;
}

TEST(RegistryDump, ReadInBulkItHoldsWhatAWalkFindsKeyByKey) {
    ASSERT_TRUE(testsupport::InsideTestPrefix());
    // Names and values that the saved text must escape: quotes, brackets, backslashes, control
    // units, units over 127 followed by hex digits, a pair of surrogates, an empty name; text
    // without its NUL, of odd length, with NULs inside; long data that wraps; odd types.
    testsupport::RegistrySandbox scratch;
    const std::vector<std::string> keys = {"Odd [key] \"quoted\"",
                                           "Odd [key] \"quoted\"\\\xC3\xA9"
                                           "1f \xF0\x9F\x98\x80",
                                           "Odd [key] \"quoted\"\\tab\there",
                                           "Odd [key] \"quoted\"\\Empty"};
    for (const std::string& key : keys)
        scratch.CreateKey(key);
    const std::string k = keys[0];
    scratch.SetString(k, "", L"default");
    scratch.SetString(k, "q\"uo\\te]", L"a\"b\\c]d");
    scratch.SetString(k,
                      "\xC3\xA9"
                      "ab",
                      L"\u00E9ab\U0001F600\x1b\a\x7f");
    scratch.SetString(k, "unterminated", L"no nul", REG_SZ, false);
    scratch.SetValue(k, "odd length", REG_SZ, "abc", 3);
    scratch.SetValue(k, "nuls inside", REG_MULTI_SZ, L"a\0b\0\0", 10);
    scratch.SetValue(k, "expand", REG_EXPAND_SZ, L"%TEMP%\\x", 18);
    scratch.SetDword(k, "dword", 0x01020304);
    scratch.SetValue(k, "short dword", REG_DWORD, "\x01\x02\x03", 3);
    scratch.SetValue(k, "qword", REG_QWORD, "\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    scratch.SetValue(k, "type 12345", 0x12345, "\xff", 1);
    scratch.SetValue(k, "none", REG_NONE, "", 0);
    std::vector<BYTE> wide(3000);
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<BYTE>(i * 7);
    scratch.SetValue(keys[1], "long", REG_BINARY, wide);
    scratch.SetString(keys[2], "tab\tname", L"x");
    scratch.CreateLink("Odd [key] \"quoted\"\\link", "Odd [key] \"quoted\"\\Empty");

    // The walk is read between two bulk dumps: a key that the system rewrote meanwhile (Wine
    // keeps font and mouse settings in HKCU) differs from one of them only, while a key that the
    // bulk reading gets wrong differs from both.
    const RegistryDump bulk = DumpWholeRegistry();
    const RegistryDump walked = DumpWholeRegistry(RegistryDump::Method::Walk);
    const RegistryDump bulkAgain = DumpWholeRegistry();
    EXPECT_TRUE(bulk.ReadInBulk());
    EXPECT_FALSE(walked.ReadInBulk());
    EXPECT_GT(bulk.KeyCount(), 5000u);
    std::vector<std::wstring> wrong;
    const std::vector<std::wstring> before = NotOtherTests(bulk.Differences(walked));
    const std::vector<std::wstring> after = NotOtherTests(bulkAgain.Differences(walked));
    std::set_intersection(before.begin(), before.end(), after.begin(), after.end(),
                          std::back_inserter(wrong));
    EXPECT_EQ(wrong, std::vector<std::wstring>{});
    // Volatile keys, which the registry leaves out of a saved file, are there too.
    HKEY hardware = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Hardware\\Description\\System", 0, KEY_READ,
                              &hardware),
              ERROR_SUCCESS);
    ::RegCloseKey(hardware);
    EXPECT_TRUE(bulk.Has(L"HKLM\\Hardware\\Description\\System"));
}

// Keys of the test's own in every part of both hives, so that no other program sees a system
// setting changed; left-overs of an interrupted run are deleted first.
struct Probe {
    const char* where;
    HKEY root;
    std::wstring label, key;
    DWORD options; // REG_OPTION_VOLATILE for the volatile part of the machine's hive
};

const std::vector<Probe>& Probes() {
    static const std::vector<Probe> probes = {
        {"HKLM outside Software", HKEY_LOCAL_MACHINE, L"HKLM", L"System\\OrdanelDumpProbe", 0},
        {"HKLM\\Software", HKEY_LOCAL_MACHINE, L"HKLM", L"Software\\Classes\\OrdanelDumpProbe", 0},
        {"32-bit view", HKEY_LOCAL_MACHINE, L"HKLM", L"Software\\Wow6432Node\\OrdanelDumpProbe", 0},
        {"HKCU", HKEY_CURRENT_USER, L"HKCU", L"Control Panel\\OrdanelDumpProbe", 0},
        {"volatile", HKEY_LOCAL_MACHINE, L"HKLM", L"Hardware\\OrdanelDumpProbe",
         REG_OPTION_VOLATILE},
    };
    return probes;
}

HKEY Create(HKEY root, const std::wstring& key, DWORD options = 0) {
    HKEY k = nullptr;
    EXPECT_EQ(::RegCreateKeyExW(root, key.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &k,
                                nullptr),
              ERROR_SUCCESS);
    return k;
}

void SetBytes(HKEY root, const std::wstring& key, DWORD type, const char* bytes,
              DWORD options = 0) {
    HKEY k = Create(root, key, options);
    ::RegSetValueExW(k, L"v", 0, type, reinterpret_cast<const BYTE*>(bytes),
                     static_cast<DWORD>(std::strlen(bytes)));
    ::RegCloseKey(k);
}

class DumpProbes {
public:
    DumpProbes() {
        Remove();
        for (const Probe& p : Probes())
            SetBytes(p.root, p.key, REG_BINARY, "abcd", p.options);
        SetBytes(HKEY_CURRENT_USER, Probes()[3].key + L"\\Turns volatile", REG_BINARY, "abcd");
    }
    ~DumpProbes() { Remove(); }
    DumpProbes(const DumpProbes&) = delete;
    DumpProbes& operator=(const DumpProbes&) = delete;

private:
    static void Remove() {
        for (const Probe& p : Probes())
            testsupport::DeleteKeyNoFollow(p.root, p.key);
    }
};

TEST(RegistryDump, CatchesAnyChangeAnywhereInBothHives) {
    ASSERT_TRUE(testsupport::InsideTestPrefix());
    DumpProbes probes;
    struct Change {
        const char* what;
        std::wstring key; // the dump's path of the key that changes
        std::function<void()> make, undo;
    };
    std::vector<Change> changes;
    // One byte of a value: in HKLM outside Software, in both views of Software, in HKCU and in a
    // volatile key.
    for (const Probe& p : Probes())
        changes.push_back({p.where, p.label + L"\\" + p.key,
                           [&p] { SetBytes(p.root, p.key, REG_BINARY, "abce"); },
                           [&p] { SetBytes(p.root, p.key, REG_BINARY, "abcd"); }});
    const Probe& system = Probes()[0];
    const Probe& user = Probes()[3];
    // The type alone, bytes unchanged.
    changes.push_back({"type", system.label + L"\\" + system.key,
                       [&] { SetBytes(system.root, system.key, REG_NONE, "abcd"); },
                       [&] { SetBytes(system.root, system.key, REG_BINARY, "abcd"); }});
    // A key without values added deep in HKLM, and one removed in HKCU.
    const std::wstring added = Probes()[1].key + L"\\Added\\Deeper";
    changes.push_back(
        {"added key", L"HKLM\\" + added, [&] { ::RegCloseKey(Create(HKEY_LOCAL_MACHINE, added)); },
         [&] {
             testsupport::DeleteKeyNoFollow(HKEY_LOCAL_MACHINE, Probes()[1].key + L"\\Added");
         }});
    const std::wstring empty = user.key + L"\\Empty";
    ::RegCloseKey(Create(HKEY_CURRENT_USER, empty));
    changes.push_back({"removed key", L"HKCU\\" + empty,
                       [&] { ::RegDeleteKeyW(HKEY_CURRENT_USER, empty.c_str()); },
                       [&] { ::RegCloseKey(Create(HKEY_CURRENT_USER, empty)); }});
    // The registry saves no volatile key: one made after the dumps began, below an ordinary key,
    // and an ordinary key made again as a volatile one with other bytes.
    const std::wstring fresh = Probes()[1].key + L"\\Volatile since";
    changes.push_back(
        {"volatile key made", L"HKLM\\" + fresh,
         [&] { SetBytes(HKEY_LOCAL_MACHINE, fresh, REG_BINARY, "new", REG_OPTION_VOLATILE); },
         [&] { ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, fresh.c_str()); }});
    const std::wstring turns = user.key + L"\\Turns volatile";
    changes.push_back({"made again volatile", L"HKCU\\" + turns,
                       [&] {
                           ::RegDeleteKeyW(HKEY_CURRENT_USER, turns.c_str());
                           SetBytes(HKEY_CURRENT_USER, turns, REG_BINARY, "abce",
                                    REG_OPTION_VOLATILE);
                       },
                       [&] {
                           ::RegDeleteKeyW(HKEY_CURRENT_USER, turns.c_str());
                           SetBytes(HKEY_CURRENT_USER, turns, REG_BINARY, "abcd");
                       }});

    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        const RegistryDump before = DumpWholeRegistry();
        ASSERT_TRUE(before.ReadInBulk());
        change.make();
        const RegistryDump after = DumpWholeRegistry();
        change.undo();
        const RegistryDump again = DumpWholeRegistry();
        // Names compare as the registry does, without case.
        std::vector<std::wstring> differences = before.Differences(after);
        std::transform(differences.begin(), differences.end(), differences.begin(), Lower);
        EXPECT_TRUE(Contains(differences, Lower(change.key)));
        std::vector<std::wstring> left = before.Differences(again);
        std::transform(left.begin(), left.end(), left.begin(), Lower);
        EXPECT_FALSE(Contains(left, Lower(change.key))) << "undone, the dumps agree again";
    }
}

} // namespace

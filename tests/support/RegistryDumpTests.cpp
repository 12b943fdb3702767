// test-lock: registry-uninstall
//
// The registry dump that the removal tests prove their claims with: read in bulk, it holds what a
// walk key by key finds (odd names and values, volatile keys and links included), and it catches
// one changed byte, a changed type, an added or a removed key anywhere in both hives. The test
// changes system keys for a moment, hence the lock that every program comparing dumps holds.
#include "tests/support/RegistryDump.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
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

// A value as it is stored, to change it and put it back.
struct StoredValue {
    HKEY root;
    std::wstring key, name;
    DWORD type = 0;
    std::vector<BYTE> data;

    static StoredValue Read(HKEY root, const std::wstring& key, const std::wstring& name) {
        StoredValue v{root, key, name, 0, {}};
        DWORD size = 0;
        EXPECT_EQ(::RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                                 &v.type, nullptr, &size),
                  ERROR_SUCCESS)
            << "no value " << name << " in " << key;
        v.data.resize(size);
        ::RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &v.type,
                       v.data.data(), &size);
        v.data.resize(size);
        return v;
    }
    void Write(DWORD asType, const std::vector<BYTE>& bytes) const {
        HKEY k = nullptr;
        ASSERT_EQ(::RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &k),
                  ERROR_SUCCESS);
        EXPECT_EQ(::RegSetValueExW(k, name.c_str(), 0, asType, bytes.data(),
                                   static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        ::RegCloseKey(k);
    }
    void Restore() const { Write(type, data); }
};

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

TEST(RegistryDump, CatchesOneChangedByteOrTypeAndAnAddedOrRemovedKeyAnywhere) {
    ASSERT_TRUE(testsupport::InsideTestPrefix());
    const std::wstring environment =
        L"System\\CurrentControlSet\\Control\\Session Manager\\Environment";
    const std::wstring processor = L"Hardware\\Description\\System\\CentralProcessor\\0";
    struct Change {
        const char* where;
        std::wstring key; // the dump's path of the key that changes
        std::function<void()> make, undo;
    };
    std::vector<Change> changes;
    // A 64-bit prefix's 32-bit view holds links and empty keys only: a value of our own there.
    const std::wstring wow64Probe = L"Software\\Wow6432Node\\OrdanelDumpProbe";
    HKEY wow64 = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, wow64Probe.c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &wow64, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(wow64, L"v", 0, REG_BINARY, reinterpret_cast<const BYTE*>("abcd"), 4);
    ::RegCloseKey(wow64);
    // One byte of a value: in HKLM outside Software, in Software's two views, in HKCU and in a
    // volatile key.
    struct Place {
        const char* where;
        HKEY root;
        std::wstring label, key, value;
    };
    for (const Place& place :
         {Place{"HKLM\\System", HKEY_LOCAL_MACHINE, L"HKLM", environment, L"ComSpec"},
          Place{"HKLM\\Software", HKEY_LOCAL_MACHINE, L"HKLM",
                L"Software\\Microsoft\\Windows NT\\CurrentVersion", L"CurrentVersion"},
          Place{"32-bit view", HKEY_LOCAL_MACHINE, L"HKLM", wow64Probe, L"v"},
          Place{"HKCU", HKEY_CURRENT_USER, L"HKCU", L"Control Panel\\Colors", L"Window"},
          Place{"volatile", HKEY_LOCAL_MACHINE, L"HKLM", processor, L"Identifier"}}) {
        const StoredValue stored = StoredValue::Read(place.root, place.key, place.value);
        ASSERT_GE(stored.data.size(), 2u) << place.where;
        std::vector<BYTE> changed = stored.data;
        changed[changed.size() / 2] ^= 0x01;
        changes.push_back({place.where, place.label + L"\\" + place.key,
                           [stored, changed] { stored.Write(stored.type, changed); },
                           [stored] { stored.Restore(); }});
    }
    // The type alone, bytes unchanged.
    const StoredValue comspec = StoredValue::Read(HKEY_LOCAL_MACHINE, environment, L"ComSpec");
    changes.push_back({"type", L"HKLM\\" + environment,
                       [comspec] { comspec.Write(REG_SZ, comspec.data); },
                       [comspec] { comspec.Restore(); }});
    // A key without values added deep in HKLM, and one removed in HKCU.
    const std::wstring added = L"Software\\Classes\\CLSID\\OrdanelDumpProbe";
    changes.push_back({"added key", L"HKLM\\" + added,
                       [added] {
                           HKEY k = nullptr;
                           ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, added.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &k, nullptr);
                           ::RegCloseKey(k);
                       },
                       [added] { ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, added.c_str()); }});
    const std::wstring removed = L"Control Panel\\OrdanelDumpProbe";
    HKEY probe = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, removed.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &probe, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(probe);
    changes.push_back({"removed key", L"HKCU\\" + removed,
                       [removed] { ::RegDeleteKeyW(HKEY_CURRENT_USER, removed.c_str()); },
                       [removed] {
                           HKEY k = nullptr;
                           ::RegCreateKeyExW(HKEY_CURRENT_USER, removed.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &k, nullptr);
                           ::RegCloseKey(k);
                       }});

    for (const Change& change : changes) {
        SCOPED_TRACE(change.where);
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
    ::RegDeleteKeyW(HKEY_CURRENT_USER, removed.c_str());
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, wow64Probe.c_str());
}

} // namespace

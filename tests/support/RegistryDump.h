// RegistryDump.h - every key and value below some registry roots, to prove what a removal touched.
//
// In this file:
//   RegistryDump        the keys below the given roots with every value's name, type and bytes
//   DumpBothHives       HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE\Software (both views)
//   DumpWholeRegistry   HKEY_CURRENT_USER and the whole of HKEY_LOCAL_MACHINE
//
// A dump is read in bulk: RegSaveKeyW has the registry write a root's whole tree into a file in
// one call, and under Wine that file is the registry's own text format, which is parsed here (a
// walk key by key costs three round trips to the Wine server per key and a few seconds for both
// hives; the bulk read costs tens of milliseconds). The registry leaves volatile keys out of a
// saved file, so the subkeys that a saved key has and the text lacks are looked for wherever a
// key's last-write time moved since the last dump of this process (a key created below it moves
// it), and those volatile subtrees are walked at every dump. Where the save is refused or the file
// is not Wine's text (Windows writes a binary hive), the dump walks every key instead; both ways
// give the same dump.
#pragma once

#include <windows.h>

#include <unordered_map>
#include <string>
#include <vector>

namespace testsupport {

/// Every key below the given roots with every value, type and byte; links are recorded with their
/// link value and not entered. Keys are paths "<root label>\<path>" with UTF-16 names.
class RegistryDump {
public:
    struct Root {
        HKEY key;
        std::wstring path; // below key; empty for the whole hive
        REGSAM view;
        std::wstring label;
    };
    enum class Method { Bulk, Walk };
    explicit RegistryDump(const std::vector<Root>& roots, Method method = Method::Bulk);

    /// Keys present here and missing in other, sorted.
    std::vector<std::wstring> KeysMissingFrom(const RegistryDump& other) const;
    /// Keys whose values differ, or that only one of the dumps has, sorted.
    std::vector<std::wstring> Differences(const RegistryDump& other) const;
    /// Whether the dump holds the key of this path.
    bool Has(const std::wstring& path) const { return keys_.contains(path); }
    /// How many keys the dump holds.
    size_t KeyCount() const noexcept { return keys_.size(); }
    /// Whether every root was read in bulk (false: some or all were walked key by key).
    bool ReadInBulk() const noexcept { return bulk_; }

private:
    using Keys = std::unordered_map<std::wstring, std::vector<std::string>>; // path -> values
    void Walk(HKEY key, const std::wstring& path);
    bool ReadSaved(HKEY key, const std::wstring& path, const Root& root);
    Keys keys_;
    bool bulk_ = true;
};

/// Both hives in both views: HKEY_CURRENT_USER, and HKEY_LOCAL_MACHINE's "Software" in the 64-bit
/// view (which holds the 32-bit view as its "Wow6432Node").
RegistryDump DumpBothHives();

/// The whole of HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE (64-bit view).
RegistryDump DumpWholeRegistry(RegistryDump::Method method = RegistryDump::Method::Bulk);

} // namespace testsupport

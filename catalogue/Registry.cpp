// Registry.cpp - TRegistry: opening, listing, reading and deleting keys through the registry table.
#include "catalogue/Registry.h"

#include "framework/ScopeGuard.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <limits>
#include <vector>

namespace catalogue {

namespace {

// The value that holds a registry symbolic link's target, in a key created with
// REG_OPTION_CREATE_LINK.
constexpr char kSymbolicLinkValue[] = "SymbolicLinkValue";

// RegQueryInfoKeyA reports the longest names in characters, while RegEnumKeyExA hands out ANSI
// names whose characters take up to MaxCharSize bytes of the code page: two under the Far-East
// double-byte code pages, four under UTF-8. Scaling keeps a name buffer from being too small for
// them. Only NT-family systems run 64-bit code, so no platform check is needed here.
uint32_t AnsiBytesPerChar() noexcept {
    CPINFO info{};
    if (::GetCPInfo(CurrentRegistryApi().AnsiCodePage(), &info) && info.MaxCharSize > 1)
        return info.MaxCharSize;
    return 1;
}

// The longest key name the registry allows, in UTF-16 units.
constexpr DWORD kMaxKeyNameChars = 255;
// The longest value name the registry allows, in UTF-16 units.
constexpr DWORD kMaxValueNameChars = 16383;

// Whether the ANSI name that the registry handed out for index is exactly that key's name. The
// ANSI calls convert UTF-16 names to the code page, and a name the code page cannot hold comes out
// changed: "Prog\u03BB" as "Prog?" under code page 1252, a lone surrogate as U+FFFD even under
// UTF-8. Such a name would open another key that really has it, or none, so it must not be used.
// Under UTF-8 a name of ASCII characters only cannot have been changed (every other character
// takes bytes of 0x80 and above); any other name is decoded and compared with the UTF-16 name.
bool NameStandsForItself(HKEY key, DWORD index, const std::string& name) {
    const UINT codePage = CurrentRegistryApi().AnsiCodePage();
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (codePage == CP_UTF8 && ascii)
        return true;
    const int count = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, name.data(),
                                            static_cast<int>(name.size()), nullptr, 0);
    if (count <= 0)
        return false;
    std::wstring decoded(static_cast<size_t>(count), L'\0');
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, name.data(),
                          static_cast<int>(name.size()), decoded.data(), count);
    wchar_t wide[kMaxKeyNameChars + 1] = {};
    DWORD length = kMaxKeyNameChars + 1;
    if (CurrentRegistryApi().EnumKeyExW(key, index, wide, &length, nullptr, nullptr, nullptr,
                                        nullptr) != ERROR_SUCCESS)
        return false;
    return decoded == std::wstring_view(wide, std::min<DWORD>(length, kMaxKeyNameChars));
}

// A name in a buffer that the registry filled, up to its first NUL and never past the buffer.
std::string TextUpToNul(const char* data, size_t size) {
    return {data, ::strnlen(data, size)};
}

LSTATUS QueryInfoOf(HKEY key, TRegKeyInfo& info) {
    info = TRegKeyInfo{};
    DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueLen = 0, maxDataLen = 0;
    FILETIME written{};
    if (const LSTATUS status = CurrentRegistryApi().QueryInfoKey(
            key, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr, &values, &maxValueLen,
            &maxDataLen, nullptr, &written);
        status != ERROR_SUCCESS)
        return status;
    const uint32_t scale = AnsiBytesPerChar();
    info.NumSubKeys = subKeys;
    info.MaxSubKeyLen = maxSubKeyLen * scale;
    info.NumValues = values;
    info.MaxValueLen = maxValueLen * scale;
    info.MaxDataLen = maxDataLen;
    info.FileTime = written;
    return ERROR_SUCCESS;
}

// The UTF-16 path of the subkey name (an ANSI name that stands for its key, see EnumName) below
// the key at relative.
std::wstring ChildPath(const std::wstring& relative, const std::string& name) {
    const UINT codePage = CurrentRegistryApi().AnsiCodePage();
    const int count = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, name.data(),
                                            static_cast<int>(name.size()), nullptr, 0);
    std::wstring path = relative.empty() ? relative : relative + L'\\';
    const size_t start = path.size();
    path.resize(start + static_cast<size_t>(std::max(count, 0)));
    if (count > 0)
        ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, name.data(),
                              static_cast<int>(name.size()), path.data() + start, count);
    return path;
}

// One enumeration step into buffer; the status of the step, and the name (empty unless the step
// succeeded). The buffer is cleared first so that a failed step can never hand out the name of the
// previous index. A name that does not stand for its key fails with
// ERROR_NO_UNICODE_TRANSLATION.
LSTATUS EnumName(HKEY key, DWORD index, std::vector<char>& buffer, std::string& name) {
    buffer[0] = '\0';
    name.clear();
    DWORD length = static_cast<DWORD>(buffer.size());
    const LSTATUS status = CurrentRegistryApi().EnumKeyEx(key, index, buffer.data(), &length,
                                                          nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    // The registry allows a NUL inside a name; cut there, the name would be another key's.
    std::string found(buffer.data(), std::min<size_t>(length, buffer.size()));
    if (found.find('\0') != std::string::npos)
        return ERROR_INVALID_NAME;
    if (!NameStandsForItself(key, index, found))
        return ERROR_NO_UNICODE_TRANSLATION;
    name = std::move(found);
    return ERROR_SUCCESS;
}

// The Win32 error code for an NTSTATUS of ntdll.
LSTATUS Win32Error(LONG status) noexcept {
    if (status == 0)
        return ERROR_SUCCESS;
    using Convert = ULONG(NTAPI*)(LONG);
    static const Convert convert = [] {
        HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
        FARPROC proc = ntdll ? ::GetProcAddress(ntdll, "RtlNtStatusToDosError") : nullptr;
        return reinterpret_cast<Convert>(reinterpret_cast<void (*)()>(proc));
    }();
    return convert ? static_cast<LSTATUS>(convert(status)) : ERROR_GEN_FAILURE;
}

// True when every "\"-separated component of path is non-empty. An empty component would name
// another key than the one meant: "" names the base key itself, and "Uninstall\" + "" names the
// Uninstall key.
// Separators are found character by character: under a double-byte code page the second byte of a
// character may be 0x5C, which is no separator.
bool HasOnlyNonEmptyComponents(const std::string& path) {
    const std::vector<size_t> separators = SeparatorPositions(path);
    if (path.empty() || (!separators.empty() && separators.front() == 0) ||
        (!separators.empty() && separators.back() == path.size() - 1))
        return false;
    for (size_t i = 1; i < separators.size(); ++i)
        if (separators[i] == separators[i - 1] + 1)
            return false;
    return true;
}

enum class KeyKind { Plain, Link, Unknown };

// What a key opened with REG_OPTION_OPEN_LINK is: a registry symbolic link carries a
// "SymbolicLinkValue" of type REG_LINK. status receives the failure when the check itself fails.
KeyKind KindOfKey(HKEY key, LSTATUS& status) {
    DWORD type = REG_NONE;
    status = CurrentRegistryApi().QueryValueEx(key, kSymbolicLinkValue, nullptr, &type, nullptr,
                                               nullptr);
    if (status == ERROR_FILE_NOT_FOUND) {
        status = ERROR_SUCCESS;
        return KeyKind::Plain;
    }
    if (status != ERROR_SUCCESS)
        return KeyKind::Unknown;
    return type == REG_LINK ? KeyKind::Link : KeyKind::Plain;
}

} // namespace

std::vector<size_t> SeparatorPositions(const std::string& text) {
    const UINT codePage = CurrentRegistryApi().AnsiCodePage();
    CPINFO info{};
    const bool doubleByte = ::GetCPInfo(codePage, &info) && info.MaxCharSize == 2;
    std::vector<size_t> positions;
    for (size_t i = 0; i < text.size(); ++i) {
        if (doubleByte && ::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[i]))) {
            ++i; // the trail byte belongs to this character
            continue;
        }
        if (text[i] == '\\')
            positions.push_back(i);
    }
    return positions;
}

bool HoldsSeparator(const std::string& name) {
    return !SeparatorPositions(name).empty();
}

RegValueKind KindOfRegType(DWORD type) noexcept {
    switch (type) {
    case REG_SZ: return RegValueKind::String;
    case REG_EXPAND_SZ: return RegValueKind::ExpandString;
    case REG_DWORD: return RegValueKind::Integer;
    case REG_BINARY: return RegValueKind::Binary;
    default: return RegValueKind::Other;
    }
}

HKEY TRegistry::BaseFor(std::string& path) const noexcept {
    if (!path.empty() && path.front() == '\\') {
        path.erase(0, 1);
        return root_;
    }
    return current_ ? current_.get() : root_;
}

void TRegistry::SetView(REGSAM view) {
    if (view == view_)
        return;
    view_ = view;
    ClosePath();
}

void TRegistry::SelectRoot(HKEY root) {
    if (root == root_)
        return;
    root_ = root;
    ClosePath();
}

bool TRegistry::OpenPath(const std::string& path) {
    std::string relative = path;
    const HKEY base = BaseFor(relative);
    const bool belowCurrent = current_ && base == current_.get();
    HKEY opened = nullptr;
    if (CurrentRegistryApi().OpenKeyEx(base, relative.c_str(), 0, access_ | view_, &opened) !=
        ERROR_SUCCESS)
        return false;
    UniqueHkey key(opened);
    std::string newPath = belowCurrent ? currentPath_ + "\\" + relative : relative;
    current_ = std::move(key);
    currentPath_ = std::move(newPath);
    return true;
}

void TRegistry::ClosePath() noexcept {
    current_.reset();
    currentPath_.clear();
}

bool TRegistry::QueryKeyInfo(TRegKeyInfo& info) {
    return QueryInfoOf(current_.get(), info) == ERROR_SUCCESS;
}

void TRegistry::ListSubkeys(framework::TStringList& list) {
    list.Clear();
    TRegKeyInfo info;
    if (!QueryKeyInfo(info))
        return;
    std::vector<char> buffer(size_t{info.MaxSubKeyLen} + 1);
    std::string name;
    for (uint32_t index = 0; index < info.NumSubKeys; ++index) {
        // A failed step (a key removed or renamed meanwhile, or a name the code page cannot hold)
        // still takes its position, as the empty name, which no caller can mistake for a key.
        EnumName(current_.get(), index, buffer, name);
        list.Add(name);
    }
}

int32_t TRegistry::ValueSize(const std::string& name) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (CurrentRegistryApi().QueryValueEx(current_.get(), name.c_str(), nullptr, &type, nullptr,
                                          &size) != ERROR_SUCCESS)
        return -1;
    if (size > static_cast<DWORD>(std::numeric_limits<int32_t>::max()))
        return -1;
    return static_cast<int32_t>(size);
}

int32_t TRegistry::ReadRaw(const std::string& name, void* buffer, int32_t size,
                           RegValueKind& kind) {
    DWORD type = REG_NONE;
    DWORD length = size > 0 ? static_cast<DWORD>(size) : 0;
    if (CurrentRegistryApi().QueryValueEx(current_.get(), name.c_str(), nullptr, &type,
                                          static_cast<BYTE*>(buffer), &length) != ERROR_SUCCESS)
        throw ERegistryException("Failed to get data for '" + name + "'");
    kind = KindOfRegType(type);
    return static_cast<int32_t>(length);
}

std::string TRegistry::ReadText(const std::string& name) {
    int32_t size = ValueSize(name);
    if (size <= 0)
        return {};
    // One zeroed byte more than the data: a REG_SZ may be stored without its terminating NUL.
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    RegValueKind kind = RegValueKind::Other;
    DWORD type = REG_NONE, length = static_cast<DWORD>(size);
    const LSTATUS status =
        CurrentRegistryApi().QueryValueEx(current_.get(), name.c_str(), nullptr, &type,
                                          reinterpret_cast<BYTE*>(buffer.data()), &length);
    int32_t read = 0;
    if (status == ERROR_MORE_DATA && length > static_cast<DWORD>(size) && length < 0x7FFFFFFF) {
        // The size query sized the text for another encoding than the read fills (a system that
        // counts the UTF-16 bytes of a string bound for UTF-8): read once more at the size the
        // read asked for.
        size = static_cast<int32_t>(length);
        buffer.assign(static_cast<size_t>(size) + 1, '\0');
        read = ReadRaw(name, buffer.data(), size, kind);
    } else if (status != ERROR_SUCCESS) {
        throw ERegistryException("Failed to get data for '" + name + "'");
    } else {
        kind = KindOfRegType(type);
        read = static_cast<int32_t>(length);
    }
    if (kind != RegValueKind::String && kind != RegValueKind::ExpandString)
        throw ERegistryException("Invalid data type for '" + name + "'");
    const size_t used = read < 0 ? 0 : (read > size ? size : read);
    return TextUpToNul(buffer.data(), used);
}

UniqueHkey TRegistry::OpenHandle(const std::string& path) {
    std::string relative = path;
    const HKEY base = BaseFor(relative);
    HKEY opened = nullptr;
    if (CurrentRegistryApi().OpenKeyEx(base, relative.c_str(), 0, access_ | view_, &opened) !=
        ERROR_SUCCESS)
        return {};
    return UniqueHkey(opened);
}

bool TRegistry::DeleteTree(const std::string& path, const TKeyStates* expected) {
    lastDelete_ = TDeleteReport{};
    // The records hold for this call only, whichever way it ends.
    expected_ = expected;
    const auto forget = framework::OnScopeExit([this]() noexcept { expected_ = nullptr; });
    std::string relative = path;
    const HKEY base = BaseFor(relative);
    if (!HasOnlyNonEmptyComponents(relative)) {
        Refuse(ERROR_INVALID_NAME);
        return false;
    }
    // The keys above the one to delete are opened one level at a time, each as itself: a link
    // among them (put there after the entries were listed) would take the deletion into another
    // tree, so the deletion stops there.
    UniqueHkey parent;
    HKEY at = base;
    size_t start = 0;
    for (size_t separator : SeparatorPositions(relative)) {
        const std::string name = relative.substr(start, separator - start);
        start = separator + 1;
        HKEY opened = nullptr;
        // Enough to tell a link: a subkey is opened, and deleted, whatever this handle may do,
        // so a user who may delete the entry need not be allowed to change the keys above it.
        LSTATUS status = CurrentRegistryApi().OpenKeyEx(at, name.c_str(), REG_OPTION_OPEN_LINK,
                                                        KEY_QUERY_VALUE | view_, &opened);
        if (status != ERROR_SUCCESS) {
            Refuse(status);
            return false;
        }
        UniqueHkey next(opened);
        switch (KindOfKey(next.get(), status)) {
        case KeyKind::Plain: break;
        case KeyKind::Link: Refuse(kErrorLinkAbove); return false;
        case KeyKind::Unknown: Refuse(status); return false;
        }
        parent = std::move(next);
        at = parent.get();
    }
    const std::string name = relative.substr(start);
    UniqueHkey key;
    const bool deleted = DeleteTreeBelow(at, name, L"", &key);
    // The key is gone when the key this deletion opened is deleted (by it, or meanwhile by
    // another program) and its name is free below the parent the deletion opened as itself. The
    // path looked up again could pass a link put above the key meanwhile and see another tree;
    // and a key that another program renamed is still listed, under its new name.
    bool keyDeleted = deleted;
    if (!keyDeleted && key) {
        TRegKeyInfo info;
        keyDeleted = QueryInfoOf(key.get(), info) == ERROR_KEY_DELETED;
    }
    if (!key)
        keyDeleted = true; // never opened: whether it is there, the name below tells
    HKEY still = nullptr;
    const LSTATUS looked = CurrentRegistryApi().OpenKeyEx(at, name.c_str(), REG_OPTION_OPEN_LINK,
                                                          KEY_QUERY_VALUE | view_, &still);
    if (looked == ERROR_SUCCESS)
        CurrentRegistryApi().CloseKey(still);
    // A parent deleted meanwhile holds no key.
    const bool nameFree = looked == ERROR_FILE_NOT_FOUND || looked == ERROR_PATH_NOT_FOUND ||
                          looked == ERROR_KEY_DELETED;
    lastDelete_.Gone = keyDeleted && nameFree;
    return deleted;
}

const TKeyState* TRegistry::RecordOf(const std::wstring& relative) {
    if (!expected_)
        return nullptr;
    const auto found = expected_->find(relative);
    if (found != expected_->end())
        return &found->second;
    Refuse(kErrorKeyChanged);
    return nullptr;
}

bool TRegistry::AsRecorded(const TRegKeyInfo& info, const TKeyState& record) {
    TKeyState now;
    now.NumSubKeys = info.NumSubKeys;
    now.NumValues = info.NumValues;
    now.FileTime = info.FileTime;
    if (now.SameCountsAndTime(record))
        return true;
    Refuse(kErrorKeyChanged);
    return false;
}

bool TRegistry::ReadyToDelete(HKEY key, const TKeyState& record) {
    TRegKeyInfo info;
    if (const LSTATUS status = QueryInfoOf(key, info); status != ERROR_SUCCESS) {
        Refuse(status);
        return false;
    }
    // A subkey left here was refused (which is reported already) or added meanwhile.
    if (info.NumSubKeys != 0 || info.NumValues != record.NumValues) {
        Refuse(kErrorKeyChanged);
        return false;
    }
    // Every value, in order, as the backup holds it: a value written since (the last-write time
    // cannot tell, deleting a subkey moves it too) keeps the key.
    std::vector<wchar_t> name(kMaxValueNameChars + 1);
    std::vector<BYTE> data;
    for (DWORD index = 0; index < record.Values.size(); ++index) {
        const TValueRecord& expected = record.Values[index];
        data.resize(expected.Data.size() + 1);
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(data.size());
        const LSTATUS status = CurrentRegistryApi().EnumValueW(key, index, name.data(), &nameLength,
                                                               nullptr, &type, data.data(), &size);
        // More data than recorded, or none left to read, is a change as much as other bytes.
        if (status != ERROR_SUCCESS || type != expected.Type || size != expected.Data.size() ||
            std::wstring_view(name.data(), nameLength) != expected.Name ||
            !std::equal(expected.Data.begin(), expected.Data.end(), data.begin())) {
            Refuse(status == ERROR_SUCCESS || status == ERROR_MORE_DATA ||
                           status == ERROR_NO_MORE_ITEMS
                       ? kErrorKeyChanged
                       : status);
            return false;
        }
    }
    return true;
}

void TRegistry::Refuse(LSTATUS status) noexcept {
    if (lastDelete_.Refusal == ERROR_SUCCESS)
        lastDelete_.Refusal = status;
}

// Deletes the key called name below base after every key below it.
//
// A removal never deletes a key that is not the entry's own, whatever another program does to
// the keys meanwhile. So no key is ever deleted by its name or path: a name is looked up anew
// when the deletion is made, and by then it may stand for a link put in the key's place, or for
// another key. Each key is opened once, as itself (a link as the link), checked, and deleted
// through that handle, which stays bound to that one key whatever is renamed, replaced or linked
// around it. With the backup's records a key is checked twice: before anything below it is
// deleted (its counts and last-write time), and immediately before it is deleted itself (no
// subkey left, exactly the recorded values). The registry offers no way to make that last check
// and the deletion one step, so a value written in the instant between them is the one write
// that could go unnoticed; a subkey added then makes the registry refuse the deletion.
//
// The current key is neither used nor changed: each level works on its own handle.
bool TRegistry::DeleteTreeBelow(HKEY base, const std::string& name, const std::wstring& relative,
                                UniqueHkey* keep) {
    HKEY opened = nullptr;
    // REG_OPTION_OPEN_LINK opens a registry symbolic link itself instead of its target.
    LSTATUS status = CurrentRegistryApi().OpenKeyEx(base, name.c_str(), REG_OPTION_OPEN_LINK,
                                                    access_ | view_, &opened);
    if (status != ERROR_SUCCESS) {
        Refuse(status);
        return false;
    }
    UniqueHkey owned(opened);
    // The caller may keep the handle, to ask afterwards what became of this key.
    UniqueHkey& key = keep ? *keep : owned;
    if (keep)
        key = std::move(owned);
    const TKeyState* record = RecordOf(relative);
    if (expected_ && !record)
        return false;
    switch (KindOfKey(key.get(), status)) {
    case KeyKind::Unknown: Refuse(status); return false;
    case KeyKind::Link: {
        // A link has no subkeys of its own, so its counts and time, compared right here, are its
        // last check before it is deleted; deleting it leaves its target alone.
        if (record) {
            TRegKeyInfo info;
            if (status = QueryInfoOf(key.get(), info); status != ERROR_SUCCESS) {
                Refuse(status);
                return false;
            }
            if (!AsRecorded(info, *record))
                return false;
        }
        break;
    }
    case KeyKind::Plain: {
        TRegKeyInfo info;
        const LSTATUS queried = QueryInfoOf(key.get(), info);
        // A key that cannot be compared with its record, or differs from it, holds what the
        // backup may not: it stays with everything below it.
        if (record && queried != ERROR_SUCCESS) {
            Refuse(queried);
            return false;
        }
        if (record && !AsRecorded(info, *record))
            return false;
        if (queried == ERROR_SUCCESS) {
            std::vector<char> buffer(size_t{info.MaxSubKeyLen} + 1);
            std::string child;
            // Highest index first: deleting a subkey never moves one still to be visited.
            for (uint32_t index = info.NumSubKeys; index-- > 0;) {
                if (const LSTATUS step = EnumName(key.get(), index, buffer, child);
                    step != ERROR_SUCCESS) {
                    // A name that cannot be read as itself is left alone, and with it this key.
                    Refuse(step);
                    continue;
                }
                // A name that is empty or holds "\" would reach another key than this child.
                if (child.empty() || HoldsSeparator(child)) {
                    Refuse(ERROR_INVALID_NAME);
                    continue;
                }
                // A child that stays keeps this key in place too, which its deletion reports.
                DeleteTreeBelow(key.get(), child,
                                expected_ ? ChildPath(relative, child) : std::wstring());
            }
        }
        if (record && !ReadyToDelete(key.get(), *record))
            return false;
        break;
    }
    }
    // The key as opened, and nothing else: a key that still has subkeys is refused.
    if (status = Win32Error(CurrentRegistryApi().NtDeleteKey(key.get())); status != ERROR_SUCCESS) {
        // A subkey added in the instant since the check makes the registry refuse: that is a
        // change, not a lack of rights.
        TRegKeyInfo info;
        Refuse(record && QueryInfoOf(key.get(), info) == ERROR_SUCCESS && info.NumSubKeys > 0
                   ? kErrorKeyChanged
                   : status);
        return false;
    }
    ++lastDelete_.KeysDeleted;
    return true;
}

} // namespace catalogue

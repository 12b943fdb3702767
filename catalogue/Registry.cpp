// Registry.cpp - TRegistry: opening, listing, reading and deleting keys through the registry table.
#include "catalogue/Registry.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <limits>
#include <vector>

namespace catalogue {

namespace {

// The longest value name the registry allows, in UTF-16 units.
constexpr DWORD kMaxValueNameChars = 16383;

// A name in a buffer that the registry filled, up to its first NUL and never past the buffer.
std::string TextUpToNul(const char* data, size_t size) {
    return {data, ::strnlen(data, size)};
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
    return TKeyWalker(TNameForm::Ansi, view_).Query(current_.get(), info) == ERROR_SUCCESS;
}

void TRegistry::ListSubkeys(TKeyNames& list) {
    list.Clear();
    TRegKeyInfo info;
    if (!QueryKeyInfo(info))
        return;
    std::vector<char> buffer(size_t{info.MaxSubKeyLen} + 1);
    list.Reserve(static_cast<int>(info.NumSubKeys));
    TKeyName name;
    for (uint32_t index = 0; index < info.NumSubKeys; ++index) {
        // A failed step (a key removed or renamed meanwhile, or a name the code page cannot hold)
        // still takes its position, as the empty name, which no caller can mistake for a key.
        TKeyWalker::NameAt(current_.get(), index, buffer, name, false);
        list.Add(std::move(name));
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

namespace {

// Deletes a key after every key below it, for TRegistry::DeleteTree.
//
// A removal never deletes a key that is not the entry's own, whatever another program does to
// the keys meanwhile. So no key is ever deleted by its name or path: a name is looked up anew
// when the deletion is made, and by then it may stand for a link put in the key's place, or for
// another key. The walker opens each key once, as itself (a link as the link), and it is checked
// and deleted through that handle, which stays bound to that one key whatever is renamed,
// replaced or linked around it. With the backup's records a key is checked twice: before anything
// below it is deleted (its counts and last-write time), and immediately before it is deleted
// itself (no subkey left, exactly the recorded values). The registry offers no way to make that
// last check and the deletion one step, so a value written in the instant between them is the one
// write that could go unnoticed; a subkey added then makes the registry refuse the deletion.
// A key that stays keeps the keys above it in place too, which its own refusal reports.
class TreeDeleter final : public TKeyWalker::Visitor {
public:
    using Next = TKeyWalker::Next;

    TreeDeleter(const TKeyWalker& walker, const TKeyStates* expected, TDeleteReport& report)
        : walker_(walker), expected_(expected), report_(report) {}

    // Whether the key the walk began with was deleted.
    bool TopDeleted() const noexcept { return topDeleted_; }

    void Refuse(LSTATUS status) noexcept {
        if (report_.Refusal == ERROR_SUCCESS)
            report_.Refusal = status;
    }

    Next Enter(TKeyWalker::Visit& key) override {
        const TKeyState* record = RecordOf(key.Relative);
        if (expected_ && !record) {
            Refuse(kErrorKeyChanged);
            return Next::Pass;
        }
        if (key.Kind == TKeyKind::Unknown) {
            Refuse(key.KindStatus);
            return Next::Pass;
        }
        // A key that cannot be compared with its record, or differs from it, holds what the
        // backup may not: it stays with everything below it. A link has no subkeys of its own,
        // so its counts and time, compared here, are its last check before it is deleted;
        // deleting it leaves its target alone.
        if (record && key.InfoStatus != ERROR_SUCCESS) {
            Refuse(key.InfoStatus);
            return Next::Pass;
        }
        if (record && !AsRecorded(key.Info, *record))
            return Next::Pass;
        return Next::Go;
    }

    Next Subkey(TKeyWalker::Visit&, const TKeyName& name) override {
        // A name that cannot be read as itself is left alone, and with it this key.
        if (name.AnsiStatus != ERROR_SUCCESS) {
            Refuse(name.AnsiStatus);
            return Next::Pass;
        }
        // A name that is empty or holds "\" would reach another key than this child.
        if (name.Ansi.empty() || HoldsSeparator(name.Ansi)) {
            Refuse(ERROR_INVALID_NAME);
            return Next::Pass;
        }
        return Next::Go;
    }

    Next OpenFailed(TKeyWalker::Visit&, const TKeyName&, LSTATUS status) override {
        Refuse(status);
        return Next::Pass;
    }

    Next Leave(TKeyWalker::Visit& key) override {
        const TKeyState* record = RecordOf(key.Relative);
        if (key.Kind == TKeyKind::Plain && record && !ReadyToDelete(key.Key, *record))
            return Next::Pass;
        // The key as opened, and nothing else: a key that still has subkeys is refused.
        if (const LSTATUS status = Win32Error(CurrentRegistryApi().NtDeleteKey(key.Key));
            status != ERROR_SUCCESS) {
            // A subkey added in the instant since the check makes the registry refuse: that is
            // a change, not a lack of rights.
            TRegKeyInfo info;
            Refuse(record && walker_.Query(key.Key, info) == ERROR_SUCCESS && info.NumSubKeys > 0
                       ? kErrorKeyChanged
                       : status);
            return Next::Pass;
        }
        ++report_.KeysDeleted;
        if (key.Relative.empty())
            topDeleted_ = true;
        return Next::Go;
    }

private:
    // The record of the key at relative; nullptr when there is none, or no records.
    const TKeyState* RecordOf(const std::wstring& relative) const {
        if (!expected_)
            return nullptr;
        const auto found = expected_->find(relative);
        return found != expected_->end() ? &found->second : nullptr;
    }

    // Whether info has the counts and time of the record; refuses the key when not.
    bool AsRecorded(const TRegKeyInfo& info, const TKeyState& record) {
        if (TKeyState::CountsAndTimeOf(info).SameCountsAndTime(record))
            return true;
        Refuse(kErrorKeyChanged);
        return false;
    }

    // Whether key, about to be deleted, has no subkey and exactly the recorded values; refuses
    // it when not.
    bool ReadyToDelete(HKEY key, const TKeyState& record) {
        TRegKeyInfo info;
        if (const LSTATUS status = walker_.Query(key, info); status != ERROR_SUCCESS) {
            Refuse(status);
            return false;
        }
        // A subkey left here was refused (which is reported already) or added meanwhile.
        if (info.NumSubKeys != 0 || info.NumValues != record.NumValues) {
            Refuse(kErrorKeyChanged);
            return false;
        }
        // Every value, in order, as the backup holds it: a value written since (the last-write
        // time cannot tell, deleting a subkey moves it too) keeps the key.
        std::vector<wchar_t> name(kMaxValueNameChars + 1);
        std::vector<BYTE> data;
        for (DWORD index = 0; index < record.Values.size(); ++index) {
            const TValueRecord& expected = record.Values[index];
            data.resize(expected.Data.size() + 1);
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD type = REG_NONE;
            DWORD size = static_cast<DWORD>(data.size());
            const LSTATUS status = CurrentRegistryApi().EnumValueW(
                key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
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

    const TKeyWalker& walker_;
    const TKeyStates* expected_;
    TDeleteReport& report_;
    bool topDeleted_ = false;
};

} // namespace

bool TRegistry::DeleteTree(const std::string& path, const TKeyStates* expected) {
    lastDelete_ = TDeleteReport{};
    const TKeyWalker walker(TNameForm::Ansi, view_);
    TreeDeleter deleter(walker, expected, lastDelete_);
    std::string relative = path;
    const HKEY base = BaseFor(relative);
    if (!HasOnlyNonEmptyComponents(relative)) {
        deleter.Refuse(ERROR_INVALID_NAME);
        return false;
    }
    // The keys above the one to delete are opened one level at a time, each as itself: a link
    // among them (put there after the entries were listed) would take the deletion into another
    // tree, so the deletion stops there.
    std::vector<TKeyName> above;
    size_t start = 0;
    for (size_t separator : SeparatorPositions(relative)) {
        above.push_back(TKeyName::FromAnsi(relative.substr(start, separator - start)));
        start = separator + 1;
    }
    UniqueHkey parent;
    if (const LSTATUS status = walker.OpenPathAsItself(base, above, parent);
        status != ERROR_SUCCESS) {
        deleter.Refuse(status);
        return false;
    }
    const HKEY at = parent ? parent.get() : base;
    const TKeyName name = TKeyName::FromAnsi(relative.substr(start));
    UniqueHkey key;
    LSTATUS opened = ERROR_SUCCESS;
    walker.Walk(at, name, access_, true, deleter, opened, &key);
    if (opened != ERROR_SUCCESS)
        deleter.Refuse(opened);
    const bool deleted = deleter.TopDeleted();
    // The key is gone when the key this deletion opened is deleted (by it, or meanwhile by
    // another program) and its name is free below the parent the deletion opened as itself. The
    // path looked up again could pass a link put above the key meanwhile and see another tree;
    // and a key that another program renamed is still listed, under its new name.
    bool keyDeleted = deleted;
    if (!keyDeleted && key) {
        TRegKeyInfo info;
        keyDeleted = walker.Query(key.get(), info) == ERROR_KEY_DELETED;
    }
    if (!key)
        keyDeleted = true; // never opened: whether it is there, the name below tells
    lastDelete_.Gone = keyDeleted && walker.Gone(at, name);
    return deleted;
}

} // namespace catalogue

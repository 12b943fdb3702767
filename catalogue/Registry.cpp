// Registry.cpp - TRegistry: opening, listing, reading and deleting keys through the registry table.
#include "catalogue/Registry.h"

#include <cstring>
#include <limits>
#include <vector>

namespace catalogue {

namespace {

// The value that holds a registry symbolic link's target, in a key created with
// REG_OPTION_CREATE_LINK.
constexpr char kSymbolicLinkValue[] = "SymbolicLinkValue";

// RegQueryInfoKeyA reports the longest names in characters, while RegEnumKeyExA hands out ANSI
// names whose characters take up to MaxCharSize bytes under a multi-byte code page (two under the
// Far-East double-byte code pages). Scaling keeps a name buffer from being too small for them.
// Only NT-family systems run 64-bit code, so no platform check is needed here.
uint32_t AnsiBytesPerChar() noexcept {
    CPINFO info{};
    if (::GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1)
        return info.MaxCharSize;
    return 1;
}

// A name in a buffer that the registry filled, up to its first NUL and never past the buffer.
std::string TextUpToNul(const char* data, size_t size) {
    return {data, ::strnlen(data, size)};
}

bool QueryInfoOf(HKEY key, TRegKeyInfo& info) {
    info = TRegKeyInfo{};
    DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueLen = 0, maxDataLen = 0;
    FILETIME written{};
    if (CurrentRegistryApi().QueryInfoKey(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen,
                                          nullptr, &values, &maxValueLen, &maxDataLen, nullptr,
                                          &written) != ERROR_SUCCESS)
        return false;
    const uint32_t scale = AnsiBytesPerChar();
    info.NumSubKeys = subKeys;
    info.MaxSubKeyLen = maxSubKeyLen * scale;
    info.NumValues = values;
    info.MaxValueLen = maxValueLen * scale;
    info.MaxDataLen = maxDataLen;
    info.FileTime = written;
    return true;
}

// One enumeration step into buffer. The buffer is cleared first so that a failed step can never
// hand out the name of the previous index.
bool EnumName(HKEY key, DWORD index, std::vector<char>& buffer, std::string& name) {
    buffer[0] = '\0';
    DWORD length = static_cast<DWORD>(buffer.size());
    if (CurrentRegistryApi().EnumKeyEx(key, index, buffer.data(), &length, nullptr, nullptr,
                                       nullptr, nullptr) != ERROR_SUCCESS) {
        name.clear();
        return false;
    }
    name = TextUpToNul(buffer.data(), buffer.size());
    return true;
}

// True when every "\"-separated component of path is non-empty. An empty component would make
// RegDeleteKeyA act on a key other than the one named: "" names the base key itself, and
// "Uninstall\" + "" names the Uninstall key.
bool HasOnlyNonEmptyComponents(const std::string& path) {
    if (path.empty() || path.front() == '\\' || path.back() == '\\')
        return false;
    return path.find("\\\\") == std::string::npos;
}

// Whether a key opened with REG_OPTION_OPEN_LINK may be deleted: only a plain key, one without a
// "SymbolicLinkValue" of type REG_LINK. A link must not be deleted with RegDeleteKeyA, which
// follows it and deletes its target; when the check itself fails the key is left alone.
bool IsPlainKey(HKEY key) {
    DWORD type = REG_NONE;
    const LSTATUS status = CurrentRegistryApi().QueryValueEx(key, kSymbolicLinkValue, nullptr,
                                                             &type, nullptr, nullptr);
    if (status == ERROR_FILE_NOT_FOUND)
        return true;
    return status == ERROR_SUCCESS && type != REG_LINK;
}

} // namespace

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
    if (CurrentRegistryApi().OpenKeyEx(base, relative.c_str(), 0, access_, &opened) !=
        ERROR_SUCCESS)
        return false;
    std::string newPath = belowCurrent ? currentPath_ + "\\" + relative : relative;
    current_.reset(opened);
    currentPath_ = std::move(newPath);
    return true;
}

void TRegistry::ClosePath() noexcept {
    current_.reset();
    currentPath_.clear();
}

bool TRegistry::QueryKeyInfo(TRegKeyInfo& info) {
    return QueryInfoOf(current_.get(), info);
}

void TRegistry::ListSubkeys(framework::TStringList& list) {
    list.Clear();
    TRegKeyInfo info;
    if (!QueryKeyInfo(info))
        return;
    std::vector<char> buffer(size_t{info.MaxSubKeyLen} + 1);
    std::string name;
    for (uint32_t index = 0; index < info.NumSubKeys; ++index) {
        // A failed step (a key removed or renamed meanwhile) still takes its position, as the
        // empty name, which no caller can mistake for a key.
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
    const int32_t size = ValueSize(name);
    if (size <= 0)
        return {};
    // One zeroed byte more than the data: a REG_SZ may be stored without its terminating NUL.
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    RegValueKind kind = RegValueKind::Other;
    const int32_t read = ReadRaw(name, buffer.data(), size, kind);
    if (kind != RegValueKind::String && kind != RegValueKind::ExpandString)
        throw ERegistryException("Invalid data type for '" + name + "'");
    const size_t used = read < 0 ? 0 : (read > size ? size : read);
    return TextUpToNul(buffer.data(), used);
}

UniqueHkey TRegistry::OpenHandle(const std::string& path) {
    std::string relative = path;
    const HKEY base = BaseFor(relative);
    HKEY opened = nullptr;
    if (CurrentRegistryApi().OpenKeyEx(base, relative.c_str(), 0, access_, &opened) !=
        ERROR_SUCCESS)
        return {};
    return UniqueHkey(opened);
}

bool TRegistry::DeleteTree(const std::string& path) {
    std::string relative = path;
    const HKEY base = BaseFor(relative);
    if (!HasOnlyNonEmptyComponents(relative))
        return false;
    return DeleteTreeBelow(base, relative);
}

// Deletes base\path after its subkeys. The current key is neither used nor changed: each level
// works on its own handle, closed before the key itself is deleted.
bool TRegistry::DeleteTreeBelow(HKEY base, const std::string& path) {
    HKEY opened = nullptr;
    // REG_OPTION_OPEN_LINK opens a registry symbolic link itself instead of its target.
    if (CurrentRegistryApi().OpenKeyEx(base, path.c_str(), REG_OPTION_OPEN_LINK, access_,
                                       &opened) == ERROR_SUCCESS) {
        const UniqueHkey key(opened);
        if (!IsPlainKey(key.get()))
            return false;
        TRegKeyInfo info;
        if (QueryInfoOf(key.get(), info)) {
            std::vector<char> buffer(size_t{info.MaxSubKeyLen} + 1);
            std::string name;
            // Highest index first: deleting a subkey never moves one still to be visited.
            for (uint32_t index = info.NumSubKeys; index-- > 0;) {
                if (!EnumName(key.get(), index, buffer, name))
                    continue;
                // A name that is empty or holds "\" would reach another key than this child.
                if (name.empty() || name.find('\\') != std::string::npos)
                    continue;
                // A child that stays keeps this key in place too, which the final delete reports.
                DeleteTreeBelow(key.get(), name);
            }
        }
    }
    // Also tried when the key could not be opened; a missing key simply fails here.
    return CurrentRegistryApi().DeleteKey(base, path.c_str()) == ERROR_SUCCESS;
}

} // namespace catalogue

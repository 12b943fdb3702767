// KeyWalker.cpp - opening keys as themselves, telling links, querying, enumerating and walking.
#include "catalogue/KeyWalker.h"

#include "catalogue/Errors.h"
#include "framework/CodePages.h"

#include <algorithm>

namespace catalogue {

namespace {

// The longest key name the registry allows, in UTF-16 units.
constexpr DWORD kMaxKeyNameChars = 255;

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

} // namespace

bool NamesSymbolicLinkValue(std::wstring_view name) noexcept {
    constexpr std::string_view link = kSymbolicLinkValue;
    return name.size() == link.size() &&
           std::equal(name.begin(), name.end(), link.begin(), [](wchar_t a, char b) {
               const auto lower = [](wchar_t c) {
                   return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
               };
               return lower(a) == lower(static_cast<wchar_t>(b));
           });
}

LSTATUS TKeyWalker::Open(HKEY parent, const TKeyName& name, REGSAM access, UniqueHkey& key) const {
    HKEY opened = nullptr;
    // REG_OPTION_OPEN_LINK opens a registry symbolic link itself instead of its target.
    const LSTATUS status =
        form_ == TNameForm::Ansi
            ? CurrentRegistryApi().OpenKeyEx(parent, name.Ansi.c_str(), REG_OPTION_OPEN_LINK,
                                             access | view_, &opened)
            : CurrentRegistryApi().OpenKeyExW(parent, name.Wide.c_str(), REG_OPTION_OPEN_LINK,
                                              access | view_, &opened);
    if (status == ERROR_SUCCESS)
        key.reset(opened);
    return status;
}

LSTATUS TKeyWalker::OpenPathAsItself(HKEY root, const std::vector<TKeyName>& path,
                                     UniqueHkey& last) const {
    UniqueHkey parent;
    HKEY at = root;
    for (const TKeyName& name : path) {
        UniqueHkey next;
        // Enough to tell a link: a subkey is opened, and deleted, whatever this handle may do,
        // so a user who may delete the entry need not be allowed to change the keys above it.
        LSTATUS status = Open(at, name, KEY_QUERY_VALUE, next);
        if (status != ERROR_SUCCESS)
            return status;
        switch (KindOf(next.get(), status)) {
        case TKeyKind::Plain: break;
        case TKeyKind::Link: return kErrorLinkAbove;
        case TKeyKind::Unknown: return status;
        }
        parent = std::move(next);
        at = parent.get();
    }
    last = std::move(parent);
    return ERROR_SUCCESS;
}

bool TKeyWalker::Gone(HKEY parent, const TKeyName& name) const {
    UniqueHkey still;
    const LSTATUS looked = Open(parent, name, KEY_QUERY_VALUE, still);
    return looked == ERROR_FILE_NOT_FOUND || looked == ERROR_PATH_NOT_FOUND ||
           looked == ERROR_KEY_DELETED;
}

TKeyKind TKeyWalker::KindOf(HKEY key, LSTATUS& status) {
    DWORD type = REG_NONE;
    status = CurrentRegistryApi().QueryValueEx(key, kSymbolicLinkValue, nullptr, &type, nullptr,
                                               nullptr);
    if (status == ERROR_FILE_NOT_FOUND) {
        status = ERROR_SUCCESS;
        return TKeyKind::Plain;
    }
    if (status != ERROR_SUCCESS)
        return TKeyKind::Unknown;
    return type == REG_LINK ? TKeyKind::Link : TKeyKind::Plain;
}

LSTATUS TKeyWalker::Query(HKEY key, TRegKeyInfo& info) const {
    info = TRegKeyInfo{};
    DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueLen = 0, maxDataLen = 0;
    FILETIME written{};
    const LSTATUS status =
        form_ == TNameForm::Ansi
            ? CurrentRegistryApi().QueryInfoKey(key, nullptr, nullptr, nullptr, &subKeys,
                                                &maxSubKeyLen, nullptr, &values, &maxValueLen,
                                                &maxDataLen, nullptr, &written)
            : CurrentRegistryApi().QueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys,
                                                 &maxSubKeyLen, nullptr, &values, &maxValueLen,
                                                 &maxDataLen, nullptr, &written);
    if (status != ERROR_SUCCESS)
        return status;
    const uint32_t scale = form_ == TNameForm::Ansi ? AnsiBytesPerChar() : 1;
    info.NumSubKeys = subKeys;
    info.MaxSubKeyLen = maxSubKeyLen * scale;
    info.NumValues = values;
    info.MaxValueLen = maxValueLen * scale;
    info.MaxDataLen = maxDataLen;
    info.FileTime = written;
    return ERROR_SUCCESS;
}

// The ANSI calls convert UTF-16 names to the code page, and a name the code page cannot hold comes
// out changed: "Prog\u03BB" as "Prog?" under code page 1252, a lone surrogate as U+FFFD even under
// UTF-8. Such a name would open another key that really has it, or none, so its ANSI form is not
// given. Under UTF-8 a name of ASCII characters only cannot have been changed (every other
// character takes bytes of 0x80 and above), so it is its own UTF-16 name; any other name is
// decoded and compared with the UTF-16 name. The buffer is cleared first so that a failed step can
// never hand out the name of the previous index.
void TKeyWalker::NameAt(HKEY key, DWORD index, std::vector<char>& buffer, TKeyName& name,
                        bool exact) {
    name = TKeyName{};
    wchar_t wide[kMaxKeyNameChars + 1] = {};
    DWORD wideLength = kMaxKeyNameChars + 1;
    if (exact) {
        // A walk that reads exactly (the backup) names keys by their UTF-16 names alone: one
        // enumeration step, and no ANSI form, which it never uses.
        name.AnsiStatus = ERROR_NOT_SUPPORTED;
        name.WideStatus = CurrentRegistryApi().EnumKeyExW(key, index, wide, &wideLength, nullptr,
                                                          nullptr, nullptr, nullptr);
        if (name.WideStatus == ERROR_SUCCESS)
            name.Wide.assign(wide, std::min<DWORD>(wideLength, kMaxKeyNameChars));
        return;
    }
    if (buffer.empty())
        buffer.resize(1);
    buffer[0] = '\0';
    DWORD length = static_cast<DWORD>(buffer.size());
    name.AnsiStatus = CurrentRegistryApi().EnumKeyEx(key, index, buffer.data(), &length, nullptr,
                                                     nullptr, nullptr, nullptr);
    std::string ansi;
    if (name.AnsiStatus == ERROR_SUCCESS) {
        ansi.assign(buffer.data(), std::min<size_t>(length, buffer.size()));
        // The registry allows a NUL inside a name; cut there, the name would be another key's.
        if (ansi.find('\0') != std::string::npos)
            name.AnsiStatus = ERROR_INVALID_NAME;
    }
    const UINT codePage = CurrentRegistryApi().AnsiCodePage();
    const bool ascii = std::all_of(ansi.begin(), ansi.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (name.AnsiStatus == ERROR_SUCCESS && codePage == CP_UTF8 && ascii) {
        name.Wide.assign(ansi.begin(), ansi.end());
        name.Ansi = std::move(ansi);
        return;
    }
    // Only a name that the ANSI step gave needs the exact one, to be checked against it.
    if (name.AnsiStatus != ERROR_SUCCESS) {
        name.WideStatus = name.AnsiStatus;
        return;
    }
    name.WideStatus = CurrentRegistryApi().EnumKeyExW(key, index, wide, &wideLength, nullptr,
                                                      nullptr, nullptr, nullptr);
    if (name.WideStatus == ERROR_SUCCESS)
        name.Wide.assign(wide, std::min<DWORD>(wideLength, kMaxKeyNameChars));
    if (name.WideStatus != ERROR_SUCCESS ||
        framework::WideFromCodePage(ansi, codePage) != name.Wide) {
        name.AnsiStatus = ERROR_NO_UNICODE_TRANSLATION;
        return;
    }
    name.Ansi = std::move(ansi);
}

bool TKeyWalker::Walk(HKEY parent, const TKeyName& name, REGSAM access, bool childrenFirst,
                      Visitor& visitor, LSTATUS& opened, UniqueHkey* keep) const {
    UniqueHkey owned;
    // The caller may keep the handle, to ask afterwards what became of this key.
    UniqueHkey& key = keep ? *keep : owned;
    opened = Open(parent, name, access, key);
    if (opened != ERROR_SUCCESS)
        return true;
    return WalkKey(key.get(), L"", access, childrenFirst, visitor);
}

bool TKeyWalker::WalkKey(HKEY key, std::wstring relative, REGSAM access, bool childrenFirst,
                         Visitor& visitor) const {
    Visit visit;
    visit.Key = key;
    visit.Relative = std::move(relative);
    visit.Kind = KindOf(key, visit.KindStatus);
    visit.InfoStatus = Query(key, visit.Info);
    switch (visitor.Enter(visit)) {
    case Next::Go: break;
    case Next::Pass: return true;
    case Next::Stop: return false;
    }
    // A link is visited as what it is, a key holding its link value; the keys of its target
    // belong elsewhere and are never reached through it. A key that cannot be queried has no
    // count to enumerate by.
    if (visit.Kind == TKeyKind::Plain && visit.InfoStatus == ERROR_SUCCESS) {
        // Room for the longest ANSI name the key reported (Query gave it in the code page's
        // bytes); a walk in the wide form reads the exact names only and never fills it.
        std::vector<char> buffer(form_ == TNameForm::Ansi ? size_t{visit.Info.MaxSubKeyLen} + 1
                                                          : 1);
        TKeyName name;
        const uint32_t count = visit.Info.NumSubKeys;
        for (uint32_t step = 0; step < count; ++step) {
            // Highest index first when children go first: deleting a subkey never moves one
            // still to be visited.
            const DWORD index = childrenFirst ? count - 1 - step : step;
            NameAt(key, index, buffer, name, form_ == TNameForm::Wide);
            const Next next = visitor.Subkey(visit, name);
            if (next == Next::Stop)
                return false;
            if (next == Next::Pass)
                continue;
            UniqueHkey child;
            if (const LSTATUS status = Open(key, name, access, child); status != ERROR_SUCCESS) {
                if (visitor.OpenFailed(visit, name, status) == Next::Stop)
                    return false;
                continue;
            }
            if (!WalkKey(child.get(),
                         visit.Relative.empty() ? name.Wide : visit.Relative + L'\\' + name.Wide,
                         access, childrenFirst, visitor))
                return false;
        }
    }
    return visitor.Leave(visit) != Next::Stop;
}

} // namespace catalogue

// RegistryDump.cpp - registry dumps read in bulk from the registry's own saved text, or walked.
#include "tests/support/RegistryDump.h"

#include "tests/support/RegistrySandbox.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <cstdio>
#include <cwctype>
#include <optional>
#include <set>
#include <unordered_map>
#include <stdexcept>

namespace testsupport {

namespace {

std::string Hex(const BYTE* data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

// One value as a dump line: the name's UTF-16 units, the type and the bytes, all in hex (four
// digits a unit), so that no name can pass for another line.
std::string ValueLine(const wchar_t* name, size_t length, DWORD type, const BYTE* data,
                      size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string line;
    line.reserve(length * 4 + size * 2 + 12);
    for (size_t c = 0; c < length; ++c)
        for (int shift = 12; shift >= 0; shift -= 4)
            line += digits[(name[c] >> shift) & 15];
    line += '|';
    for (int shift = 28; shift >= 0; shift -= 4)
        line += digits[(type >> shift) & 15];
    line += '|';
    return line + Hex(data, size);
}

std::wstring JoinPath(const std::wstring& parent, const std::wstring& name) {
    if (name.empty())
        return parent;
    return parent.empty() ? name : parent + L"\\" + name;
}

// Backup privilege, which RegSaveKey needs; the test prefix's token holds it (Windows gives it to
// administrators). Asked for once.
bool BackupPrivilegeEnabled() {
    static const bool enabled = [] {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                                &token))
            return false;
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        bool ok = ::LookupPrivilegeValueW(nullptr, L"SeBackupPrivilege",
                                          &privileges.Privileges[0].Luid) &&
                  ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                  ::GetLastError() == ERROR_SUCCESS;
        ::CloseHandle(token);
        return ok;
    }();
    return enabled;
}

// The whole tree below key as the registry saves it, or nothing when it will not.
std::optional<std::string> SavedText(HKEY key) {
    if (!BackupPrivilegeEnabled())
        return std::nullopt;
    static unsigned counter = 0;
    wchar_t folder[MAX_PATH];
    if (!::GetTempPathW(MAX_PATH, folder))
        return std::nullopt;
    const std::wstring file = std::wstring(folder) + L"ordanel-dump-" +
                              std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++counter) + L".txt";
    ::DeleteFileW(file.c_str()); // RegSaveKey will not replace a file
    std::optional<std::string> text;
    if (::RegSaveKeyW(key, file.c_str(), nullptr) == ERROR_SUCCESS) {
        if (FILE* f = ::_wfopen(file.c_str(), L"rb")) {
            std::string content;
            char buffer[1 << 16];
            size_t got;
            while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
                content.append(buffer, got);
            std::fclose(f);
            text = std::move(content);
        }
    }
    ::DeleteFileW(file.c_str());
    return text;
}

// The reader of Wine's saved registry text ("WINE REGISTRY Version 2"), as its server writes it:
//   [key\\path] <seconds>        a key (keys that hold only subkeys are left out: their
//                                 subkeys' paths imply them); the saved key itself is "[]"
//   #time=... #class=... #link   the key's attributes
//   "name"="text"  @=...         a value: "text" (REG_SZ), str(N):"text", dword:XXXXXXXX,
//                                 hex:bytes (REG_BINARY) or hex(N):bytes, long hex lines
//                                 continued after a "\" at their end
// Text is ASCII with escapes: \xHEX (up to four digits) for units over 127, \ooo octal and C
// escapes for control units, and "\" before "\", the closing character and the terminator. A
// string's terminating NUL is not written; a string without one is written as hex.
class SavedRegistryReader {
public:
    explicit SavedRegistryReader(const std::string& text) : text_(text) {}

    // Calls key(path) for each key, time(text) for its last-write time and value(line) for each
    // of its values; false when the text is not in this format.
    template <typename KeyFn, typename TimeFn, typename ValueFn>
    bool Read(KeyFn key, TimeFn time, ValueFn value) {
        if (text_.rfind("WINE REGISTRY Version 2", 0) != 0)
            return false;
        bool inKey = false;
        std::string_view line;
        NextLine(line); // the format's name
        while (NextLine(line)) {
            if (inKey && line.starts_with("#time=")) {
                time(std::string(line.substr(6)));
                continue;
            }
            if (line.empty() || line[0] == ';' || line[0] == '#')
                continue; // comments, #arch, and a key's #class and #link
            pos_ = 0;
            if (line[0] == '[') {
                pos_ = 1;
                auto path = Unescape(line, ']');
                if (!path)
                    return false;
                key(*path);
                inKey = true;
                continue;
            }
            if (!inKey)
                return false;
            auto parsed = Value(line);
            if (!parsed)
                return false;
            value(*parsed);
        }
        return true;
    }

private:
    // The next physical line, without its line end.
    std::string_view Physical() {
        size_t end = text_.find('\n', at_);
        if (end == std::string::npos)
            end = text_.size();
        std::string_view part(text_.data() + at_, end - at_);
        at_ = end + 1;
        if (!part.empty() && part.back() == '\r')
            part.remove_suffix(1);
        return part;
    }

    // The next logical line: a hex line ending in "\" continues on the next, indented line (only
    // a hex line ends so: text ends in its closing quote, a key in its time).
    bool NextLine(std::string_view& line) {
        if (at_ >= text_.size())
            return false;
        line = Physical();
        if (line.empty() || line.back() != '\\')
            return true;
        joined_.assign(line.substr(0, line.size() - 1));
        while (at_ < text_.size()) {
            std::string_view part = Physical();
            part.remove_prefix(std::min(part.find_first_not_of(" \t"), part.size()));
            const bool continued = !part.empty() && part.back() == '\\';
            joined_.append(continued ? part.substr(0, part.size() - 1) : part);
            if (!continued)
                break;
        }
        line = joined_;
        return true;
    }

    // A hexadecimal number that fills text.
    static std::optional<DWORD> HexNumber(std::string_view text) {
        DWORD value = 0;
        const auto [end, error] =
            std::from_chars(text.data(), text.data() + text.size(), value, 16);
        if (error != std::errc() || end != text.data() + text.size() || text.empty())
            return std::nullopt;
        return value;
    }

    static int HexDigit(char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    // Unescapes from pos_ up to the unescaped terminator, which it passes.
    std::optional<std::wstring> Unescape(std::string_view s, char terminator) {
        std::wstring out;
        while (pos_ < s.size()) {
            const char c = s[pos_++];
            if (c == terminator)
                return out;
            if (c != '\\') {
                out += static_cast<wchar_t>(static_cast<unsigned char>(c));
                continue;
            }
            if (pos_ >= s.size())
                return std::nullopt;
            const char e = s[pos_++];
            switch (e) {
            case 'x': {
                if (pos_ >= s.size() || HexDigit(s[pos_]) < 0) {
                    out += L'x';
                    break;
                }
                unsigned v = 0;
                for (int n = 0; n < 4 && pos_ < s.size() && HexDigit(s[pos_]) >= 0; ++n)
                    v = v * 16 + static_cast<unsigned>(HexDigit(s[pos_++]));
                out += static_cast<wchar_t>(v);
                break;
            }
            case 'a': out += L'\a'; break;
            case 'b': out += L'\b'; break;
            case 't': out += L'\t'; break;
            case 'n': out += L'\n'; break;
            case 'v': out += L'\v'; break;
            case 'f': out += L'\f'; break;
            case 'r': out += L'\r'; break;
            case 'e': out += static_cast<wchar_t>(27); break;
            default:
                if (e >= '0' && e <= '7') {
                    unsigned v = static_cast<unsigned>(e - '0');
                    for (int n = 0; n < 2 && pos_ < s.size() && s[pos_] >= '0' && s[pos_] <= '7';
                         ++n)
                        v = v * 8 + static_cast<unsigned>(s[pos_++] - '0');
                    out += static_cast<wchar_t>(v);
                } else {
                    out += static_cast<wchar_t>(static_cast<unsigned char>(e));
                }
            }
        }
        return std::nullopt;
    }

    std::optional<std::string> Value(std::string_view line) {
        std::wstring name;
        if (line.starts_with("@=")) {
            pos_ = 2;
        } else if (line[0] == '"') {
            pos_ = 1;
            auto parsed = Unescape(line, '"');
            if (!parsed || pos_ >= line.size() || line[pos_] != '=')
                return std::nullopt;
            name = std::move(*parsed);
            ++pos_;
        } else {
            return std::nullopt;
        }
        const std::string_view data = line.substr(pos_);
        DWORD type = REG_SZ;
        std::vector<BYTE> bytes;
        auto text = [&](size_t quote) -> bool {
            pos_ += quote + 1;
            auto parsed = Unescape(line, '"');
            if (!parsed)
                return false;
            parsed->push_back(L'\0');
            const BYTE* raw = reinterpret_cast<const BYTE*>(parsed->data());
            bytes.assign(raw, raw + parsed->size() * sizeof(wchar_t));
            return true;
        };
        if (data.starts_with("\"")) {
            if (!text(0))
                return std::nullopt;
        } else if (data.starts_with("str(")) {
            const size_t close = data.find("):\"");
            const auto number =
                close == std::string::npos ? std::nullopt : HexNumber(data.substr(4, close - 4));
            if (!number)
                return std::nullopt;
            type = *number;
            if (!text(close + 2))
                return std::nullopt;
        } else if (data.starts_with("dword:")) {
            type = REG_DWORD;
            const auto v = HexNumber(data.substr(6));
            if (!v)
                return std::nullopt;
            const BYTE* raw = reinterpret_cast<const BYTE*>(&*v);
            bytes.assign(raw, raw + sizeof(DWORD));
        } else if (data.starts_with("hex")) {
            size_t start;
            if (data.starts_with("hex:")) {
                type = REG_BINARY;
                start = 4;
            } else if (data.starts_with("hex(")) {
                const size_t close = data.find("):");
                const auto number = close == std::string::npos
                                        ? std::nullopt
                                        : HexNumber(data.substr(4, close - 4));
                if (!number)
                    return std::nullopt;
                type = *number;
                start = close + 2;
            } else {
                return std::nullopt;
            }
            for (size_t i = start; i < data.size();) {
                if (data[i] == ',' || data[i] == ' ') {
                    ++i;
                    continue;
                }
                if (i + 1 >= data.size() || HexDigit(data[i]) < 0 || HexDigit(data[i + 1]) < 0)
                    return std::nullopt;
                bytes.push_back(static_cast<BYTE>(HexDigit(data[i]) * 16 + HexDigit(data[i + 1])));
                i += 2;
            }
        } else {
            return std::nullopt;
        }
        return ValueLine(name.data(), name.size(), type, bytes.data(), bytes.size());
    }

    const std::string& text_;
    std::string joined_; // a logical line of several physical ones
    size_t at_ = 0;
    size_t pos_ = 0;
};

// What the dumps of this process have learnt of one root: the volatile subtrees below it (paths
// relative to it), and every saved key's last-write time as the last dump saw it, by full path.
struct RootState {
    std::set<std::wstring> volatileSubtrees;
    std::unordered_map<std::wstring, std::string> times;
    // Keys the text holds only as parents, kept open from dump to dump: their times are asked.
    std::unordered_map<std::wstring, HKEY> parents;
};

RootState& StateOf(const std::wstring& root) {
    static std::map<std::wstring, RootState> states;
    return states[root];
}

// A last-write time as the saved text writes it.
std::string TimeText(const FILETIME& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%x%08x", static_cast<unsigned>(time.dwHighDateTime),
                  static_cast<unsigned>(time.dwLowDateTime));
    return text;
}

} // namespace

RegistryDump::RegistryDump(const std::vector<Root>& roots, Method method) {
    for (const Root& root : roots) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(root.key, root.path.empty() ? nullptr : root.path.c_str(),
                            REG_OPTION_OPEN_LINK, KEY_READ | root.view, &key) != ERROR_SUCCESS)
            continue;
        const std::wstring path = JoinPath(root.label, root.path);
        if (method == Method::Walk || !ReadSaved(key, path, root)) {
            bulk_ = false;
            Walk(key, path);
        }
        ::RegCloseKey(key);
    }
}

bool RegistryDump::ReadSaved(HKEY key, const std::wstring& path, const Root& root) {
    const std::optional<std::string> text = SavedText(key);
    if (!text)
        return false;
    Keys saved;
    saved[path];
    std::unordered_map<std::wstring, std::string> times; // of the keys the text holds
    std::wstring current;
    SavedRegistryReader reader(*text);
    try {
        if (!reader.Read(
                [&](const std::wstring& relative) {
                    current = JoinPath(path, relative);
                    saved[current];
                    // The keys above it that hold only subkeys are not in the text (those
                    // above one that is there are there too).
                    for (size_t cut = current.rfind(L'\\');
                         cut != std::wstring::npos && cut > path.size() &&
                         saved.try_emplace(current.substr(0, cut)).second;
                         cut = current.rfind(L'\\', cut - 1)) {
                    }
                },
                [&](const std::string& time) { times[current] = time; },
                [&](const std::string& line) { saved[current].push_back(line); }))
            return false;
    } catch (const std::exception&) {
        return false; // a number that is none: not this format
    }
    for (auto& [keyPath, lines] : saved)
        std::sort(lines.begin(), lines.end());

    // The registry saves no volatile key. A key gets one below it only as its last-write time
    // moves, so every saved key whose time moved since the last dump of this process (every key,
    // at the first) is listed for subkeys the text lacks; those subtrees are walked at every dump
    // from then on. The text gives the times of the keys it holds; a key it holds only as the
    // parent of others is asked.
    RootState& state = StateOf(std::to_wstring(reinterpret_cast<uintptr_t>(root.key)) + L"|" +
                               std::to_wstring(root.view) + L"|" + path);
    for (const auto& [keyPath, lines] : saved) {
        const std::wstring relative =
            keyPath.size() > path.size() ? keyPath.substr(path.size() + 1) : L"";
        HKEY sub = nullptr;
        auto open = [&] {
            if (!sub && ::RegOpenKeyExW(key, relative.empty() ? nullptr : relative.c_str(),
                                        REG_OPTION_OPEN_LINK, KEY_READ, &sub) != ERROR_SUCCESS)
                sub = nullptr;
            return sub != nullptr;
        };
        std::string time;
        if (auto written = times.find(keyPath); written != times.end()) {
            time = written->second;
        } else {
            FILETIME queried{};
            auto query = [&](HKEY k) {
                return ::RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr, nullptr, nullptr,
                                          &queried) == ERROR_SUCCESS;
            };
            HKEY& held = state.parents[keyPath];
            // A key deleted since (and perhaps made again) fails the query: opened anew.
            if (!held || !query(held)) {
                if (held)
                    ::RegCloseKey(held);
                held = nullptr;
                if (open() && ::RegOpenKeyExW(sub, nullptr, 0, KEY_READ, &held) != ERROR_SUCCESS)
                    held = nullptr;
                if (held && !query(held))
                    queried = FILETIME{};
            }
            if (held)
                time = TimeText(queried);
        }
        std::string& seen = state.times[keyPath];
        if ((time.empty() || seen != time) && open()) {
            for (DWORD i = 0;; ++i) {
                wchar_t name[256];
                DWORD length = 256;
                if (::RegEnumKeyExW(sub, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                    ERROR_SUCCESS)
                    break;
                const std::wstring child = JoinPath(relative, std::wstring(name, length));
                if (!saved.contains(JoinPath(path, child)))
                    state.volatileSubtrees.insert(child);
            }
            seen = time;
        }
        if (sub)
            ::RegCloseKey(sub);
    }
    keys_.merge(saved);
    for (const std::wstring& relative : state.volatileSubtrees) {
        if (keys_.contains(JoinPath(path, relative)))
            continue; // made again as an ordinary key, which the text holds
        HKEY sub = nullptr;
        if (::RegOpenKeyExW(key, relative.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &sub) !=
            ERROR_SUCCESS)
            continue; // gone: the dumps differ by its keys
        Walk(sub, JoinPath(path, relative));
        ::RegCloseKey(sub);
    }
    return true;
}

void RegistryDump::Walk(HKEY key, const std::wstring& path) {
    std::vector<std::string>& values = keys_[path];
    std::vector<BYTE> data(1 << 12);
    // On the heap: the walk goes as deep as the registry does.
    std::vector<wchar_t> name(16384);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 16384, type = 0, size = static_cast<DWORD>(data.size());
        LSTATUS status =
            ::RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(size);
            nameLength = 16384;
            status = ::RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(),
                                     &size);
        }
        if (status != ERROR_SUCCESS)
            break;
        values.push_back(ValueLine(name.data(), nameLength, type, data.data(), size));
    }
    std::sort(values.begin(), values.end());
    if (IsLinkKey(key))
        return; // a link is recorded with its target value, never entered
    for (DWORD i = 0;; ++i) {
        wchar_t child[256];
        DWORD length = 256;
        if (::RegEnumKeyExW(key, i, child, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        const std::wstring childPath = path + L"\\" + std::wstring(child, length);
        HKEY sub = nullptr;
        if (::RegOpenKeyExW(key, child, REG_OPTION_OPEN_LINK, KEY_READ, &sub) != ERROR_SUCCESS) {
            keys_[childPath + L" (unopenable)"];
            continue;
        }
        Walk(sub, childPath);
        ::RegCloseKey(sub);
    }
}

std::vector<std::wstring> RegistryDump::KeysMissingFrom(const RegistryDump& other) const {
    std::vector<std::wstring> missing;
    for (const auto& [path, values] : keys_)
        if (!other.keys_.contains(path))
            missing.push_back(path);
    std::sort(missing.begin(), missing.end());
    return missing;
}

std::vector<std::wstring> RegistryDump::Differences(const RegistryDump& other) const {
    std::vector<std::wstring> out;
    for (const auto& [path, values] : keys_) {
        auto it = other.keys_.find(path);
        if (it == other.keys_.end() || it->second != values)
            out.push_back(path);
    }
    for (const auto& [path, values] : other.keys_)
        if (!keys_.contains(path))
            out.push_back(path);
    std::sort(out.begin(), out.end());
    return out;
}

RegistryDump DumpBothHives() {
    return RegistryDump({{HKEY_CURRENT_USER, L"", 0, L"HKCU"},
                         {HKEY_LOCAL_MACHINE, L"Software", KEY_WOW64_64KEY, L"HKLM"}});
}

RegistryDump DumpWholeRegistry(RegistryDump::Method method) {
    return RegistryDump(
        {{HKEY_CURRENT_USER, L"", 0, L"HKCU"}, {HKEY_LOCAL_MACHINE, L"", KEY_WOW64_64KEY, L"HKLM"}},
        method);
}

} // namespace testsupport

// KeyWalker.h - the one way the catalogue reaches the keys of an entry: every key opened as itself
// (a registry link as the link, never followed), told a link or an ordinary key, queried, its
// subkeys enumerated by name in both forms, and the tree below it walked.
//
// In this file:
//   kSymbolicLinkValue  the value that holds a registry link's target
//   TKeyName            a subkey's name as the enumeration gave it: ANSI and exact UTF-16
//   TKeyNames           the subkey names of one key in enumeration order, one a position
//   TRegKeyInfo         counts and lengths of one key, as the registry reports them
//   TKeyKind            an ordinary key, a link, or not known
//   TNameForm           which registry calls a walker makes: the ANSI ones or the wide ones
//   TKeyWalker          opens, tells, queries and enumerates keys, and walks a tree for a visitor
//
// The backup reads in the wide form (a registry file needs every name exactly); the catalogue's
// lists and the deletion work in the ANSI form, in which the program names its entries. Every
// registry call goes through CurrentRegistryApi().
#pragma once

#include "catalogue/RegistryApi.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace catalogue {

/// The value that holds a registry symbolic link's target, in a key created with
/// REG_OPTION_CREATE_LINK.
inline constexpr char kSymbolicLinkValue[] = "SymbolicLinkValue";

/// Whether a value name is kSymbolicLinkValue (the registry compares names without case).
bool NamesSymbolicLinkValue(std::wstring_view name) noexcept;

/// One subkey's name, in both forms, as one enumeration step read it.
struct TKeyName {
    /// The name in the ANSI code page; empty unless it stands exactly for the key (AnsiStatus).
    std::string Ansi;
    /// The exact UTF-16 name; empty when it could not be read (WideStatus).
    std::wstring Wide;
    /// ERROR_SUCCESS, or why Ansi is empty: the ANSI step's failure, ERROR_INVALID_NAME for a NUL
    /// inside the name, ERROR_NO_UNICODE_TRANSLATION for a name the code page cannot hold (it
    /// would open another key that really has it, or none), ERROR_NOT_SUPPORTED where only the
    /// exact name was read.
    LSTATUS AnsiStatus = ERROR_SUCCESS;
    /// ERROR_SUCCESS, or the failure of the step that reads the exact name.
    LSTATUS WideStatus = ERROR_SUCCESS;

    /// A name given in the ANSI form only (a component of a path the program holds).
    static TKeyName FromAnsi(std::string ansi) { return {std::move(ansi), {}}; }
    /// A name given in the exact form only.
    static TKeyName FromWide(std::wstring wide) { return {{}, std::move(wide)}; }
};

/// The subkey names of one key in enumeration order; a position whose name the ANSI code page
/// cannot give holds the empty ANSI name.
class TKeyNames {
public:
    int Count() const noexcept { return static_cast<int>(names_.size()); }
    /// The ANSI name at index.
    const std::string& operator[](int index) const { return Name(index).Ansi; }
    /// Both forms of the name at index.
    const TKeyName& Name(int index) const { return names_.at(static_cast<size_t>(index)); }
    void Add(TKeyName name) { names_.push_back(std::move(name)); }
    void Clear() noexcept { names_.clear(); }
    void Reserve(int count) { names_.reserve(static_cast<size_t>(count)); }

    /// The ANSI names in order.
    std::vector<std::string> AnsiNames() const {
        std::vector<std::string> names;
        names.reserve(names_.size());
        for (const TKeyName& name : names_)
            names.push_back(name.Ansi);
        return names;
    }

private:
    std::vector<TKeyName> names_;
};

/// Counts and lengths of one key. Lengths count characters without the terminator; in the ANSI
/// form under a code page of more than one byte per character both longest-name lengths are
/// scaled to bytes.
struct TRegKeyInfo {
    uint32_t NumSubKeys = 0;
    uint32_t MaxSubKeyLen = 0;
    uint32_t NumValues = 0;
    uint32_t MaxValueLen = 0;
    uint32_t MaxDataLen = 0;
    FILETIME FileTime{};
};

/// What a key opened as itself is: a registry symbolic link carries a kSymbolicLinkValue of type
/// REG_LINK. Unknown when the registry would not say.
enum class TKeyKind { Plain, Link, Unknown };

/// The registry calls a walker makes.
enum class TNameForm {
    Ansi, ///< RegOpenKeyExA by the ANSI name, RegQueryInfoKeyA
    Wide, ///< RegOpenKeyExW by the exact name, RegQueryInfoKeyW
};

/// Opens, tells, queries and enumerates keys in one view and one name form, and walks a tree.
class TKeyWalker {
public:
    /// view: the registry view flag that every open names (0 for the user's hive).
    TKeyWalker(TNameForm form, REGSAM view) noexcept : form_(form), view_(view) {}

    /// A key as a walk visits it: opened as itself, told, queried.
    struct Visit {
        HKEY Key = nullptr;
        /// The key's exact path below the key the walk began with (L"" for that key).
        std::wstring Relative;
        TKeyKind Kind = TKeyKind::Unknown;
        /// The failure of telling the kind (Unknown), else ERROR_SUCCESS.
        LSTATUS KindStatus = ERROR_SUCCESS;
        TRegKeyInfo Info;
        /// The failure of the query, else ERROR_SUCCESS.
        LSTATUS InfoStatus = ERROR_SUCCESS;
    };

    /// What a visitor decides at a step of a walk.
    enum class Next {
        Go,   ///< carry on: walk the key's subkeys (a link has none), or open and walk this subkey
        Pass, ///< leave this key, or this subkey, alone: nothing below it, and no Leave
        Stop, ///< end the whole walk
    };

    /// The steps of a walk. A link's subkeys are never walked: its target is another tree.
    class Visitor {
    public:
        /// The key is entered, before any key below it.
        virtual Next Enter(Visit& key) = 0;
        /// An enumeration step below key read name (Go opens the subkey and walks it).
        virtual Next Subkey(Visit& key, const TKeyName& name) = 0;
        /// The subkey name of key could not be opened.
        virtual Next OpenFailed(Visit& key, const TKeyName& name, LSTATUS status) = 0;
        /// Every subkey of the key was visited; Stop ends the walk.
        virtual Next Leave(Visit& key) = 0;

    protected:
        ~Visitor() = default;
    };

    /// Opens the subkey name of parent as itself with access (plus the view), by the name's form.
    LSTATUS Open(HKEY parent, const TKeyName& name, REGSAM access, UniqueHkey& key) const;
    /// Opens the keys of path below root one level at a time, each as itself with
    /// KEY_QUERY_VALUE: a link among them would lead into another tree (kErrorLinkAbove). last
    /// receives the deepest key; root itself when path is empty.
    LSTATUS OpenPathAsItself(HKEY root, const std::vector<TKeyName>& path, UniqueHkey& last) const;
    /// Whether the subkey name of parent is there no more: opened as itself, it is not found
    /// (a parent deleted meanwhile holds no key either).
    bool Gone(HKEY parent, const TKeyName& name) const;

    /// What key, opened as itself, is; status receives the failure when Unknown.
    static TKeyKind KindOf(HKEY key, LSTATUS& status);
    /// Fills info for key (zeroed first) by the walker's form.
    LSTATUS Query(HKEY key, TRegKeyInfo& info) const;
    /// The subkey at index. In both forms, or with exact the UTF-16 name alone, read from the
    /// registry in one step (the ANSI form is then not given). The buffer is the caller's, so
    /// that a long enumeration allocates once.
    static void NameAt(HKEY key, DWORD index, std::vector<char>& buffer, TKeyName& name,
                       bool exact);

    /// Opens the subkey name of parent as itself with access and walks it: Enter, then (unless
    /// it is a link, or Enter says otherwise, or it cannot be queried) its subkeys by index,
    /// highest first when childrenFirst, each opened as itself and walked the same way, then
    /// Leave. keep, when given, receives the handle of that key. Returns false when the walk was
    /// stopped; an open of that key that fails returns its status in opened.
    bool Walk(HKEY parent, const TKeyName& name, REGSAM access, bool childrenFirst,
              Visitor& visitor, LSTATUS& opened, UniqueHkey* keep = nullptr) const;

private:
    bool WalkKey(HKEY key, std::wstring relative, REGSAM access, bool childrenFirst,
                 Visitor& visitor) const;

    TNameForm form_;
    REGSAM view_;
};

} // namespace catalogue

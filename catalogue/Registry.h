// Registry.h - the registry wrapper through which the catalogue reads and deletes keys.
//
// Classes in this file:
//   ERegistryException  raised when a value cannot be read or is not text
//   RegValueKind        what a read reports as the kind of a value
//   TValueRecord        one value of a key as it was read
//   TKeyState           counts, last-write time and values of a key as it was read; TKeyStates
//                       by path
//   TDeleteReport       what the last DeleteTree did: keys deleted and the first refusal met
//   TRegistry           root key, current key and current path; opens, lists, reads, deletes
//
// Keys are reached through TKeyWalker (catalogue/KeyWalker.h) in the ANSI form; every registry call
// goes through CurrentRegistryApi() (catalogue/RegistryApi.h).
#pragma once

#include "catalogue/Errors.h"
#include "catalogue/KeyWalker.h"
#include "catalogue/RegistryApi.h"
#include "framework/Exceptions.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace catalogue {

/// Raised by TRegistry::ReadRaw and TRegistry::ReadText; the wrapper stays usable afterwards.
class ERegistryException : public framework::Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "ERegistryException"; }
};

/// The kind of a value as a read reports it, taken from its registry type.
enum class RegValueKind { Other = 0, String = 1, ExpandString = 2, Integer = 3, Binary = 4 };

/// Byte positions of the "\" separators in an ANSI text of the code page in force, character by
/// character (under a double-byte code page a second byte may be 0x5C and is no separator).
std::vector<size_t> SeparatorPositions(const std::string& text);
/// Whether an ANSI name holds a separator, so that it cannot be the name of one key.
bool HoldsSeparator(const std::string& name);

/// Maps a registry type (REG_SZ, REG_DWORD, ...) to its kind; unknown types give Other.
RegValueKind KindOfRegType(DWORD type) noexcept;

/// One value of a key, exactly as it was read.
struct TValueRecord {
    std::wstring Name;
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;

    bool operator==(const TValueRecord&) const = default;
};

/// What a key held when it was read, enough to tell that it changed since: adding, removing or
/// rewriting a value or a subkey moves its last-write time (the counts and the time), and every
/// value in enumeration order. Deleting a subkey moves the time too, so what a key holds once its
/// subkeys are gone is told by its values alone.
struct TKeyState {
    uint32_t NumSubKeys = 0;
    uint32_t NumValues = 0;
    FILETIME FileTime{};
    std::vector<TValueRecord> Values;

    /// The counts and the last-write time of a key as queried, without its values.
    static TKeyState CountsAndTimeOf(const TRegKeyInfo& info) noexcept {
        TKeyState state;
        state.NumSubKeys = info.NumSubKeys;
        state.NumValues = info.NumValues;
        state.FileTime = info.FileTime;
        return state;
    }

    /// Whether the counts and the last-write time are those of other (the values aside).
    bool SameCountsAndTime(const TKeyState& other) const noexcept {
        return NumSubKeys == other.NumSubKeys && NumValues == other.NumValues &&
               FileTime.dwLowDateTime == other.FileTime.dwLowDateTime &&
               FileTime.dwHighDateTime == other.FileTime.dwHighDateTime;
    }
};

/// Key states by the key's exact UTF-16 path relative to one key: L"" for that key itself,
/// L"A\\B" for the key B below its subkey A.
using TKeyStates = std::map<std::wstring, TKeyState>;

/// What one DeleteTree did, for a caller that must tell the user why an entry stayed.
struct TDeleteReport {
    /// Keys (and links) deleted, the named key included.
    int KeysDeleted = 0;
    /// The first refusal met, in deletion order (a key that could not be opened, read or
    /// deleted); ERROR_SUCCESS when nothing was refused.
    LSTATUS Refusal = ERROR_SUCCESS;
    /// Whether the named key is gone: looked up once more when the deletion ended, as itself,
    /// below the handle of its parent that the deletion held (never through the path again), and
    /// not found there. False when the deletion never reached the parent.
    bool Gone = false;
};

/// Registry wrapper. One instance per operation, main thread only; it owns at most one open key
/// (the current key) and closes it when destroyed.
///
/// Paths: a path starting with "\" is absolute, taken from the root key after dropping that
/// character; any other path is relative, taken from the current key when one is open, else from
/// the root key.
class TRegistry {
public:
    /// Root HKEY_CURRENT_USER, no current key, access mask KEY_ALL_ACCESS.
    TRegistry() = default;
    ~TRegistry() = default; // the owner closes the current key

    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const noexcept { return root_; }
    /// The open current key, or nullptr.
    HKEY CurrentKey() const noexcept { return current_.get(); }
    /// Path of the current key below the root, without a leading "\"; empty without one.
    const std::string& CurrentPath() const noexcept { return currentPath_; }
    /// Access requested by every open (KEY_ALL_ACCESS); the view flag is added to it.
    REGSAM Access() const noexcept { return access_; }
    /// The registry view that every open and delete names: KEY_WOW64_64KEY, KEY_WOW64_32KEY, or 0
    /// for the process's default view (the only one a user's hive has).
    REGSAM View() const noexcept { return view_; }
    /// Selects the view; the current key, opened in another view, is closed.
    void SetView(REGSAM view);

    /// Makes root the root key; a different root closes the current key. The root is a
    /// predefined key, or a key the caller holds open for as long as this object uses it.
    void SelectRoot(HKEY root);

    /// Makes the existing key at path the current key (never creates one). On failure the
    /// previous current key, or the lack of one, stays as it was.
    bool OpenPath(const std::string& path);

    /// Closes the current key, if any.
    void ClosePath() noexcept;

    /// Fills info for the current key (zeroed first). Under an ANSI code page of more than one
    /// byte per character both longest-name lengths are scaled to bytes. False on failure,
    /// including when no key is current.
    bool QueryKeyInfo(TRegKeyInfo& info);

    /// Replaces the contents of list with the current key's subkey names in enumeration order,
    /// one entry per index; an index whose enumeration step fails gives the empty string, and so
    /// does a name that the ANSI code page cannot hold (it would name another key, or none).
    /// Without a current key, or when the key cannot be queried, the list ends up empty.
    void ListSubkeys(TKeyNames& list);

    /// Size in bytes of the current key's value name, or -1 (missing value, no current key).
    int32_t ValueSize(const std::string& name);

    /// Reads value name into buffer (size bytes) and reports its kind; returns the bytes read.
    /// Raises ERegistryException "Failed to get data for '<name>'" when the read fails.
    int32_t ReadRaw(const std::string& name, void* buffer, int32_t size, RegValueKind& kind);

    /// The text of a string or expanded-string value up to its first NUL (an expanded string is
    /// returned as stored). Empty when the value is missing, empty, or no key is current. Raises
    /// ERegistryException "Invalid data type for '<name>'" for a value of any other kind.
    std::string ReadText(const std::string& name);

    /// Opens the key at path with the access mask without touching the current key; an empty
    /// owner when the open fails.
    UniqueHkey OpenHandle(const std::string& path);

    /// Deletes the key at path and every key below it, children first; true when the key itself
    /// was deleted. Never reaches outside that key: a path with an empty component is refused;
    /// the keys above it are opened one level at a time, each as itself, and a registry link
    /// among them stops the deletion (kErrorLinkAbove); every key is opened as itself (a link as
    /// the link, never followed to its target) and deleted through that handle, never by its name
    /// or path, so a key renamed, replaced or linked meanwhile is never taken for another;
    /// enumerated names that are empty, hold "\" or that the code page cannot hold are skipped.
    /// A subkey that stays keeps its parents in place. LastDelete() tells what happened.
    /// With expected (the states of the keys as a backup read them, by path relative to the key at
    /// path), a key that is not among them or whose state differs is neither entered nor deleted
    /// (kErrorKeyChanged): its counts and last-write time are compared before any key below it is
    /// deleted, and just before it is deleted itself it must have no subkey left and exactly the
    /// values recorded. Only what the backup holds is deleted.
    bool DeleteTree(const std::string& path, const TKeyStates* expected = nullptr);
    /// The report of the last DeleteTree.
    const TDeleteReport& LastDelete() const noexcept { return lastDelete_; }

private:
    /// The base key of an operation on path; drops a leading "\" from path.
    HKEY BaseFor(std::string& path) const noexcept;

    HKEY root_ = HKEY_CURRENT_USER;
    UniqueHkey current_;
    std::string currentPath_;
    REGSAM access_ = KEY_ALL_ACCESS;
    REGSAM view_ = 0;
    TDeleteReport lastDelete_;
};

} // namespace catalogue

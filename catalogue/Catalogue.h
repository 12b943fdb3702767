// Catalogue.h - the uninstall entries of both scopes, as key-name lists and tree nodes, and the
// removal of one entry.
//
// Classes in this file:
//   TRemoval     the outcome of removing one entry, as codes: its backup, or the system's reason
//                when it stayed (ui/RemovalText.h makes the texts that tell the user)
//   TCatalogue   builds, once, the key-name lists (every subkey name of each Uninstall key, in
//                enumeration order) and the tree (reached through TEntryTree, catalogue/
//                EntryTree.h): the roots "Entire System" and "Current User", and below them one
//                node per subkey with a non-empty "DisplayName", which keeps the subkey's position
//                in its scope's list. "Entire System" holds the 64-bit view's entries, then the
//                32-bit view's. Removes the key of one entry node.
#pragma once

#include "catalogue/Backup.h"
#include "catalogue/EntryScope.h"
#include "catalogue/EntryTree.h"
#include "catalogue/KeyWalker.h"

#include <windows.h>

#include <optional>
#include <string>

namespace catalogue {

inline constexpr char kValueShown[] = "DisplayName";
inline constexpr char kMachineRootCaption[] = "Entire System";
inline constexpr char kUserRootCaption[] = "Current User";

/// The outcome of removing one entry.
struct TRemoval {
    enum class Outcome {
        Removed,     ///< the entry's key is gone
        StillListed, ///< the entry's key is still there: it stays in the system's list
        NotBackedUp, ///< its backup could not be written, so nothing was deleted
    };
    Outcome Result = Outcome::StillListed;
    /// Why the key stayed: the first refusal the registry gave, or why the backup failed
    /// (ERROR_SUCCESS when removed).
    LSTATUS Error = ERROR_SUCCESS;
    /// Whether Error is the reason the removal found: false when memory ran out before its
    /// report was complete, so that the code is all that is known.
    bool ReasonKnown = false;
    /// With NotBackedUp: what could not be done (the folder, file or key concerned).
    TBackupFailure BackupFailure;
    /// The backup written before the deletion, kept whenever something was deleted; empty when
    /// there is none.
    std::wstring BackupPath;
    /// Keys deleted below the entry's key, or with it. More than zero with StillListed means a
    /// partial deletion.
    int KeysDeleted = 0;

    bool Removed() const noexcept { return Result == Outcome::Removed; }
    bool Partial() const noexcept { return !Removed() && KeysDeleted > 0; }
};

class TCatalogue {
public:
    using Node = TEntryTree::Node;

    explicit TCatalogue(TEntryTree& tree) : tree_(tree) {}

    /// Builds the lists, the roots and the entries, and selects SystemRoot. Call once.
    void BuildCatalogue();
    /// Reads HKEY_CURRENT_USER when currentUser, else both views of the machine, 64-bit first,
    /// each as a scope of its own; then expands the root.
    void LoadScope(bool currentUser);

    /// The scope of an entry node, or nothing for a root, a node of another tree, or nullptr.
    std::optional<TEntryScope> ScopeOf(Node node) const noexcept;
    /// The key-name list of a scope.
    const TKeyNames& KeyNames(TEntryScope scope) const noexcept;

    /// Writes the backup of the entry node's key tree (catalogue/Backup.h, named from the node's
    /// caption and the local time), then deletes the key with every key below it, children
    /// first, in the node's scope and view, taking the key name at the node's position in its
    /// scope's list. When the backup cannot be written completely nothing is deleted
    /// (NotBackedUp). Nothing outside that key is touched: a registry link inside it is deleted as
    /// the link. Nothing is deleted that the backup does not hold: a key that changed after the
    /// backup read it is neither entered nor deleted (kErrorKeyChanged) and keeps the keys above
    /// it. A backup is deleted again when the deletion deleted nothing. The node is left to the
    /// caller. Never raises; a node that is not an entry gives StillListed.
    TRemoval RemoveEntry(Node node) noexcept;

    /// HKEY_LOCAL_MACHINE, 64-bit view.
    TKeyNames SystemKeyNames;
    /// HKEY_LOCAL_MACHINE, 32-bit view.
    TKeyNames SystemKeyNames32;
    /// HKEY_CURRENT_USER.
    TKeyNames UserKeyNames;
    Node SystemRoot = nullptr;
    Node UserRoot = nullptr;

private:
    /// Reads one scope into its list and under its root. Any failure ends that scope's load
    /// silently and leaves the other scopes alone.
    void LoadView(TEntryScope scope);
    TKeyNames& ListOf(TEntryScope scope) noexcept;
    Node RootOf(TEntryScope scope) const noexcept;

    TEntryTree& tree_;
};

} // namespace catalogue

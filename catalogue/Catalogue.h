// Catalogue.h - the uninstall entries of both scopes, as key-name lists and tree nodes.
//
// Classes in this file:
//   TCatalogue  builds, once, the two key-name lists (every subkey name of each scope's Uninstall
//               key, in enumeration order) and the tree: the roots "Entire System" and "Current
//               User", and below them one node per subkey with a non-empty "DisplayName", whose
//               data is the subkey's position in its scope's list.
//
// Functions: EntryPath (the only way a key name becomes a registry path).
#pragma once

#include "framework/StringList.h"
#include "framework/TreeView.h"

#include <optional>
#include <string>

namespace catalogue {

inline constexpr char kUninstallKeyPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr char kEntryPathPrefix[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr char kValueShown[] = "DisplayName";
inline constexpr char kMachineRootCaption[] = "Entire System";
inline constexpr char kUserRootCaption[] = "Current User";

/// The registry path of the entry key named keyName below the Uninstall key, or nothing when
/// keyName cannot be the name of one key: empty (the slot of a failed enumeration step; the path
/// would name the Uninstall key itself) or holding a "\" (it would reach below another key).
std::optional<std::string> EntryPath(const std::string& keyName);

class TCatalogue {
public:
    explicit TCatalogue(framework::TTreeView& tree) : tree_(tree) {}

    /// Builds the lists, the roots and the entries, and selects SystemRoot. Call once.
    void BuildCatalogue();
    /// Reads one scope (HKEY_CURRENT_USER when currentUser, else HKEY_LOCAL_MACHINE) into its
    /// list and under its root. Any failure ends the scope's load silently; its root is
    /// expanded in every case.
    void LoadScope(bool currentUser);

    framework::TStringList SystemKeyNames;
    framework::TStringList UserKeyNames;
    framework::TTreeNode* SystemRoot = nullptr;
    framework::TTreeNode* UserRoot = nullptr;

private:
    framework::TTreeView& tree_;
};

} // namespace catalogue

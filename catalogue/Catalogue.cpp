#include "catalogue/Catalogue.h"

#include "catalogue/Registry.h"

namespace catalogue {

std::optional<std::string> EntryPath(const std::string& keyName) {
    if (keyName.empty() || keyName.find('\\') != std::string::npos)
        return std::nullopt;
    return kEntryPathPrefix + keyName;
}

void TCatalogue::BuildCatalogue() {
    UserKeyNames.Clear();
    SystemKeyNames.Clear();
    // The tree does not redraw while thousands of entries go in (a redraw per insertion costs
    // milliseconds under some implementations of the control).
    tree_.BeginUpdate();
    try {
        SystemRoot = tree_.AddRoot(kMachineRootCaption);
        UserRoot = tree_.AddRoot(kUserRootCaption);
        LoadScope(false);
        LoadScope(true);
    } catch (...) {
        tree_.EndUpdate();
        throw;
    }
    tree_.EndUpdate();
    tree_.SetSelected(SystemRoot);
}

void TCatalogue::LoadScope(bool currentUser) {
    framework::TStringList& list = currentUser ? UserKeyNames : SystemKeyNames;
    framework::TTreeNode* parent = currentUser ? UserRoot : SystemRoot;
    TRegistry registry;
    try {
        registry.SelectRoot(currentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE);
        // A scope whose Uninstall key cannot be opened (missing, or not open to full access) has
        // no current key here, and its list stays empty.
        registry.OpenPath(kUninstallKeyPath);
        registry.ListSubkeys(list);
        registry.ClosePath();
        for (int i = 0; i < list.Count(); ++i) {
            // An entry key that cannot be opened is read with no current key, which gives the
            // empty text: the entry gets no node. So does a name that cannot be a key name.
            if (auto path = EntryPath(list[i]))
                registry.OpenPath(*path);
            std::string text = registry.ReadText(kValueShown);
            if (!text.empty()) {
                tree_.AddChild(parent, text, 1, 1)->SetData(i);
            }
            registry.ClosePath();
        }
    } catch (...) {
        // A "DisplayName" of another type, a value that vanished between its size and its read,
        // or any other failure ends this scope's load without a report; the nodes added so far
        // stay, and the other scope loads as usual.
    }
    if (parent)
        parent->Expand();
}

} // namespace catalogue

// Catalogue.cpp - the key-name lists and entry nodes of both scopes, and the removal of one entry.
#include "catalogue/Catalogue.h"

#include "catalogue/Backup.h"
#include "catalogue/FileApi.h"
#include "catalogue/Registry.h"
#include "framework/CodePages.h"

#include <new>

namespace catalogue {

void TCatalogue::BuildCatalogue() {
    UserKeyNames.Clear();
    SystemKeyNames32.Clear();
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
    tree_.Select(SystemRoot);
}

void TCatalogue::LoadScope(bool currentUser) {
    // The machine's root is expanded once both of its views are in: an expanded node makes the
    // control do more work for every child added below it.
    if (currentUser) {
        LoadView(TEntryScope::User);
    } else {
        LoadView(TEntryScope::System);
        LoadView(TEntryScope::System32);
    }
    if (Node root = currentUser ? UserRoot : SystemRoot)
        tree_.Expand(root);
}

void TCatalogue::LoadView(TEntryScope scope) {
    TKeyNames& list = ListOf(scope);
    const Node parent = RootOf(scope);
    TRegistry registry;
    try {
        registry.SelectRoot(RootKeyOf(scope));
        registry.SetView(ViewOf(scope));
        // A scope whose Uninstall key cannot be opened (missing, or not open to full access) has
        // no current key here, and its list stays empty.
        registry.OpenPath(kUninstallKeyPath);
        registry.ListSubkeys(list);
        if (!registry.CurrentKey())
            return;
        // Each entry is opened below the Uninstall key, which stays open meanwhile: a path from
        // the hive's root with a long entry name passes the 260 characters that an ANSI path may
        // have under some systems, and that entry would never be listed.
        TRegistry entries;
        entries.SelectRoot(registry.CurrentKey());
        entries.SetView(ViewOf(scope));
        for (int i = 0; i < list.Count(); ++i) {
            // An entry key that cannot be opened is read with no current key, which gives the
            // empty text: the entry gets no node. So does a name that cannot be a key name.
            if (EntryPath(list[i]))
                entries.OpenPath(list[i]);
            std::string text;
            try {
                text = entries.ReadText(kValueShown);
            } catch (const ERegistryException&) {
                // A "DisplayName" that is not text, or that vanished or changed between its size
                // and its read: that entry alone gets no node. One broken entry must not hide the
                // entries after it from the tool meant to clean the list.
            }
            if (!text.empty())
                tree_.AddEntry(parent, text, i, static_cast<int>(scope));
            entries.ClosePath();
        }
    } catch (...) {
        // Any other failure (memory running out) ends this scope's load without a report; the
        // nodes added so far stay, and the other scopes load as usual.
    }
}

std::optional<TEntryScope> TCatalogue::ScopeOf(Node node) const noexcept {
    const Node parent = node ? tree_.ParentOf(node) : nullptr;
    if (!parent)
        return std::nullopt;
    if (parent == UserRoot)
        return TEntryScope::User;
    if (parent == SystemRoot)
        return tree_.GroupOf(node) == static_cast<int>(TEntryScope::System32)
                   ? TEntryScope::System32
                   : TEntryScope::System;
    return std::nullopt;
}

const TKeyNames& TCatalogue::KeyNames(TEntryScope scope) const noexcept {
    return const_cast<TCatalogue*>(this)->ListOf(scope);
}

TKeyNames& TCatalogue::ListOf(TEntryScope scope) noexcept {
    switch (scope) {
    case TEntryScope::System32: return SystemKeyNames32;
    case TEntryScope::User: return UserKeyNames;
    case TEntryScope::System: break;
    }
    return SystemKeyNames;
}

TCatalogue::Node TCatalogue::RootOf(TEntryScope scope) const noexcept {
    return scope == TEntryScope::User ? UserRoot : SystemRoot;
}

TRemoval TCatalogue::RemoveEntry(Node node) noexcept {
    TRemoval removal;
    try {
        const std::optional<TEntryScope> scope = ScopeOf(node);
        const TKeyNames* list = scope ? &ListOf(*scope) : nullptr;
        const int position = list ? tree_.PositionOf(node) : -1;
        std::optional<std::string> path;
        if (list && position >= 0 && position < list->Count())
            path = EntryPath((*list)[position]);
        if (!path) {
            removal.Error = ERROR_INVALID_PARAMETER;
            removal.ReasonKnown = true;
            return removal;
        }
        // The list holds, beside the ANSI name, the key's exact UTF-16 name as the enumeration
        // gave it.
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        const TBackup backup =
            BackUpEntry(*scope, list->Name(position).Wide,
                        framework::WideFromCodePage(tree_.CaptionOf(node), CP_ACP), now);
        if (backup.Error == kErrorLinkAbove) {
            // Nothing was read, nor would anything be deleted: the path leads into another tree.
            removal.Error = kErrorLinkAbove;
            removal.ReasonKnown = true;
            return removal;
        }
        if (!backup.Written()) {
            removal.Result = TRemoval::Outcome::NotBackedUp;
            removal.Error = backup.Error != ERROR_SUCCESS ? backup.Error : ERROR_CAN_NOT_COMPLETE;
            removal.ReasonKnown = true;
            removal.BackupFailure = backup.Failure;
            return removal;
        }
        removal.BackupPath = backup.Path;
        TRegistry registry;
        registry.SelectRoot(RootKeyOf(*scope));
        registry.SetView(ViewOf(*scope));
        LSTATUS refusal = ERROR_SUCCESS;
        try {
            // Only what the backup holds: a key that changed since it was read stays.
            registry.DeleteTree(*path, &backup.Keys);
            refusal = registry.LastDelete().Refusal;
        } catch (const std::bad_alloc&) {
            refusal = ERROR_NOT_ENOUGH_MEMORY;
        } catch (...) {
            refusal = ERROR_CAN_NOT_COMPLETE;
        }
        removal.KeysDeleted = registry.LastDelete().KeysDeleted;
        // The outcome is what the registry holds now, whatever the deletion reported, as the
        // deletion looked it up below the entry's parent key (never through the path again).
        if (registry.LastDelete().Gone) {
            removal.Result = TRemoval::Outcome::Removed;
            return removal;
        }
        // Nothing deleted: the registry still holds all that the backup does, which would only
        // mislead.
        if (removal.KeysDeleted == 0 && CurrentFileApi().DeleteFile(removal.BackupPath.c_str()))
            removal.BackupPath.clear();
        // No refusal but the key is there: it was created again meanwhile.
        removal.Error = refusal != ERROR_SUCCESS ? refusal : ERROR_ALREADY_EXISTS;
        removal.ReasonKnown = true;
    } catch (...) {
        // Out of memory while forming the report: the key's fate is unknown, so it is not said
        // to be removed.
        removal.Result = TRemoval::Outcome::StillListed;
        if (removal.Error == ERROR_SUCCESS)
            removal.Error = ERROR_NOT_ENOUGH_MEMORY;
    }
    return removal;
}

} // namespace catalogue

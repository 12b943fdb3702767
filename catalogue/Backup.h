// Backup.h - the registry file written before an entry's key is deleted, from which the user can
// restore the entry with the platform's registry editor. The program writes it and never reads it.
//
// In this file:
//   kBackupFolderBelowLocalAppData  where backups go, below the user's local application data
//   TBackupFailure                  what failed in writing a backup, and on what
//   TBackup                         what writing one backup did: the file, or why there is none
//   BackupFileName                  the file name of a backup: time, caption, copy number
//   BackupFolder                    the folder backups go to, created when missing
//   RegFileKeyPath                  how an entry's key is named in the file
//   BackUpEntry                     writes the backup of one entry's whole key tree
//
// The file is what the registry editor exports: "Windows Registry Editor Version 5.00", UTF-16 LE
// with a byte order mark, CR LF line ends, one "[key]" block per key (parents first) with every
// value of the key. A value is written as text only when the quoted string gives back exactly its
// bytes; every other value is written as its bytes ("hex(N):"). Registry reads go through
// CurrentRegistryApi() (read access only; the backup never writes the registry), file system calls
// through CurrentFileApi().
#pragma once

#include "catalogue/EntryScope.h"
#include "catalogue/Registry.h"

#include <windows.h>

#include <string>

namespace catalogue {

inline constexpr wchar_t kBackupFolderBelowLocalAppData[] = L"Ordanel\\Removed";

/// What failed in writing a backup, and the folder, file or key concerned, for the text that
/// tells the user (ui/RemovalText.h makes it).
struct TBackupFailure {
    enum class Step {
        None,                ///< nothing failed
        NoDataFolder,        ///< the user's local application data folder could not be found
        FolderNotCreated,    ///< Path: the backup folder
        FileNotCreated,      ///< Path: the file
        NoNameLeft,          ///< Path: the folder, which has no free backup name left
        FileNotWritten,      ///< Path: the file
        NotWritten,          ///< memory ran out before any file was named
        FileNotRenamed,      ///< Path: the file; Target: the name it was to get
        KeyNotOpened,        ///< Path (this and below): the key as the file names it
        KeyNotRead,          ///< its counts could not be queried
        KeyChanged,          ///< it changed while it was being saved
        SubkeysNotListed,    ///< its subkeys could not be enumerated
        ValuesNotRead,       ///< its values could not be enumerated
        KeyNameUnwritable,   ///< its name cannot be written into a registry file
        ValueNameUnwritable, ///< the name of one of its values cannot be
        LinkAbove,           ///< a registry link was found among the keys above it
    };
    Step What = Step::None;
    std::wstring Path;
    std::wstring Target;
    /// With a failure after the file was created: the incomplete file could not be deleted.
    bool IncompleteFileLeft = false;

    bool Failed() const noexcept { return What != Step::None; }
    static TBackupFailure Of(Step what, std::wstring path = {}, std::wstring target = {}) {
        TBackupFailure failure;
        failure.What = what;
        failure.Path = std::move(path);
        failure.Target = std::move(target);
        return failure;
    }
};

/// What writing one backup did.
struct TBackup {
    /// The complete file written; empty when there is none.
    std::wstring Path;
    /// Why there is no file: the system's error code (ERROR_SUCCESS when written).
    LSTATUS Error = ERROR_SUCCESS;
    /// What failed; Step::None when written.
    TBackupFailure Failure;
    /// What each key in the file held when it was read, by its path relative to the entry key;
    /// empty when there is no file. A deletion that checks every key against these deletes only
    /// what the file holds.
    TKeyStates Keys;

    bool Written() const noexcept { return Error == ERROR_SUCCESS && !Path.empty(); }
};

/// The file name of a backup made at time of the entry shown as caption: "YYYY-MM-DD HH-MM-SS
/// <caption>.reg", with " (<copy>)" before ".reg" from the second copy on. Characters a file name
/// cannot hold (\ / : * ? " < > |, control characters, unpaired surrogates) and those that change
/// the direction of the text around them (which would make the name read as another) become "_";
/// blanks at
/// either end and dots at the end are dropped; the caption is cut to at most 80 UTF-16 units,
/// never inside a surrogate pair; an empty caption becomes "entry". The date in front keeps the
/// name from ever being a device name such as "CON" or "NUL".
std::wstring BackupFileName(const SYSTEMTIME& time, const std::wstring& caption, int copy = 1);

/// Sets folder to "<local application data>\Ordanel\Removed", creating the folders that are
/// missing. Returns the failure, or ERROR_SUCCESS; failure says what failed when there is one.
LSTATUS BackupFolder(std::wstring& folder, TBackupFailure& failure);

/// The path of the entry key keyName as the file names it: below "HKEY_CURRENT_USER\Software" for
/// the user, "HKEY_LOCAL_MACHINE\SOFTWARE" for the machine's 64-bit view, and
/// "HKEY_LOCAL_MACHINE\SOFTWARE\Wow6432Node" for its 32-bit view, where that view is stored.
std::wstring RegFileKeyPath(TEntryScope scope, const std::wstring& keyName);

/// Writes the backup of the entry key keyName (its exact UTF-16 name) of scope, in the scope's
/// view, with every key below it, into a new file of BackupFolder() named by BackupFileName(time,
/// caption) (a higher copy number when that name is taken; an existing file is never replaced).
/// The keys above the entry key are opened one level at a time, each as itself: a registry link
/// among them fails the backup with kErrorLinkAbove before anything is read. Every key is opened
/// as itself: a registry link is written as a key holding its link value, with a comment line
/// before that value, and never followed. Keys records every key's state and values as written.
/// Each key is read again once it is written: when it changed meanwhile (kErrorKeyChanged) the
/// backup fails, since a key added or removed during the reading can make the reading skip another.
/// The file is written under its name followed by ".partial", flushed and closed, and only then
/// renamed to its final name (written through to the disk; the first copy number free at that
/// moment), so that no incomplete file ever has a backup's name; its header is written last, over
/// the blank it started with, so that an incomplete file is no registry file either. On any failure
/// (folder, file, rename, a key or value that cannot be read, a name that a registry file cannot
/// hold) the incomplete file is deleted and the result says why. Never raises.
TBackup BackUpEntry(TEntryScope scope, const std::wstring& keyName, const std::wstring& caption,
                    const SYSTEMTIME& time) noexcept;

} // namespace catalogue

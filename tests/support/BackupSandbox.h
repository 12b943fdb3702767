// BackupSandbox.h - a scratch folder that stands for the user's local application data while a
// test runs, so that backups never go into a real profile, and the file functions of the backup
// as replaceable calls, so that a test can make them fail.
//
// In this file:
//   BackupSandbox  the scratch folder and a scoped override of the catalogue's file table whose
//                  entries are std::functions (default: forward to the table in force before)
#pragma once

#include "catalogue/FileApi.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace testsupport {

class BackupSandbox {
public:
    /// Empties and creates "<temp folder>\ordanel-tests\<name>" and installs a file table whose
    /// KnownFolderPath gives that folder for FOLDERID_LocalAppData. Refuses to run outside the
    /// private test prefix. One instance at a time.
    explicit BackupSandbox(const std::string& name);
    BackupSandbox();
    /// Puts the previous table back and deletes the folder with everything in it.
    ~BackupSandbox();
    BackupSandbox(const BackupSandbox&) = delete;
    BackupSandbox& operator=(const BackupSandbox&) = delete;

    /// The folder that stands for the local application data.
    const std::wstring& Root() const noexcept { return root_; }
    /// Where backups go: Root() + "\Ordanel\Removed".
    std::wstring Folder() const;
    /// The files in Folder(), full paths, sorted.
    std::vector<std::wstring> Files() const;
    /// The text of a file of UTF-16 LE with a byte order mark, without the mark; throws when the
    /// file cannot be read or has no such mark.
    static std::wstring ReadUtf16(const std::wstring& path);

    std::function<BOOL(LPCWSTR, LPSECURITY_ATTRIBUTES)> CreateDirectory;
    std::function<HANDLE(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)>
        CreateFile;
    std::function<BOOL(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED)> WriteFile;
    std::function<BOOL(HANDLE)> FlushFileBuffers;
    std::function<BOOL(LPCWSTR)> DeleteFile;
    std::function<BOOL(LPCWSTR, LPCWSTR, DWORD)> MoveFileEx;

    /// The table in force before this sandbox.
    const catalogue::FileApi& Previous() const noexcept { return previous_; }
    /// Files opened through the table and not closed yet.
    size_t StillOpen() const noexcept { return open_.size(); }

private:
    static BackupSandbox* active_;
    std::wstring root_;
    catalogue::FileApi previous_;
    std::optional<catalogue::ScopedFileApi> override_;
    std::set<HANDLE> open_;
};

} // namespace testsupport

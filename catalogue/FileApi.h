// FileApi.h - the file system functions the backup calls, as a replaceable table.
//
// Classes and functions in this file:
//   FileApi          table of the system functions that find the user's folder and write, name
//                    and delete files
//   NativeFileApi()  the table of the real shell32 and kernel32 functions
//   CurrentFileApi() the table in force; every file system call of the backup goes through it
//   ScopedFileApi    installs a replacement table for one scope (tests point the folder at a
//                    scratch folder and inject failures with it)
//   UniqueFile       move-only owner of an opened file, closed through the table in force
#pragma once

#include "framework/Handles.h"
#include "framework/ScopedOverride.h"

#include <windows.h>
#include <shlobj.h>

namespace catalogue {

/// The system functions that the backup calls. A replacement table must fill every entry;
/// entries take exactly the parameters of the function they stand for and return its result
/// (a path from KnownFolderPath is freed with CoTaskMemFree).
struct FileApi {
    decltype(&::SHGetKnownFolderPath) KnownFolderPath;
    decltype(&::CreateDirectoryW) CreateDirectory;
    decltype(&::CreateFileW) CreateFile;
    decltype(&::WriteFile) WriteFile;
    decltype(&::FlushFileBuffers) FlushFileBuffers;
    decltype(&::CloseHandle) CloseHandle;
    decltype(&::DeleteFileW) DeleteFile;
    /// Gives a finished file its final name (never replacing a file that has it).
    decltype(&::MoveFileExW) MoveFileEx;
};

/// The table of the real functions.
const FileApi& NativeFileApi() noexcept;

/// The table in force: the native one unless a ScopedFileApi has replaced it.
const FileApi& CurrentFileApi() noexcept;

namespace detail {
/// The table in force, for ScopedFileApi to replace.
FileApi& MutableFileApi() noexcept;
} // namespace detail

/// Replaces the table in force for its own lifetime and puts the previous one back when
/// destroyed (Previous() gives that table). Overrides nest and end in reverse order of creation.
/// Main thread only.
using ScopedFileApi = framework::ScopedOverride<FileApi, &detail::MutableFileApi>;

namespace detail {
struct FileTraits {
    using Type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CurrentFileApi().CloseHandle(h); }
};
} // namespace detail

/// Owner of a file handle from CreateFile (INVALID_HANDLE_VALUE when empty), closed with
/// CloseHandle through the table in force at the time of closing.
using UniqueFile = framework::UniqueHandle<detail::FileTraits>;

} // namespace catalogue

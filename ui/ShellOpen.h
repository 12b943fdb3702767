// ShellOpen.h - hands a document or web address to the Windows shell.
//
// Functions in this file:
//   ShellOpen           opens a target with the program the shell has registered for it
//   DirectoryPart       the working directory ShellOpen passes for a target
//   ShellApi / ScopedShellApi  the shell call as a replaceable table (tests record the calls)
#pragma once

#include "framework/ScopedOverride.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace ui {

/// The shell function that ShellOpen calls, as a table a test can replace.
struct ShellApi {
    decltype(&::ShellExecuteA) Execute;
};

/// The table in force: ShellExecuteA of shell32 unless a ScopedShellApi replaces it.
const ShellApi& CurrentShellApi() noexcept;

namespace detail {
/// The table in force, for ScopedShellApi to replace.
ShellApi& MutableShellApi() noexcept;
} // namespace detail

/// Replaces the table in force for its own lifetime; main thread only.
using ScopedShellApi = framework::ScopedOverride<ShellApi, &detail::MutableShellApi>;

/// The directory part of a path: up to its last "\" or ":" (the second byte of a double-byte
/// character of the ANSI code page is never taken for one). A "\" that is not the first
/// character and follows neither "\" nor ":" is left out ("C:\Tools\a.txt" gives "C:\Tools"); any
/// other is kept ("C:\a.txt" gives "C:\", "http://host" gives "http:"). Empty when there is none.
/// codePage is the code page the text is in: the ANSI one unless given.
std::string DirectoryPart(const std::string& path, UINT codePage = ::GetACP());

/// Opens target with the shell ("open", no parameters, its directory part as working directory,
/// shown normally), the application window as parent. A target that is empty once blanks and
/// control characters are trimmed from both ends does nothing; otherwise the untrimmed target is
/// passed on. A failed launch is not reported: the shell shows what it has to say itself.
void ShellOpen(const std::string& target);

} // namespace ui

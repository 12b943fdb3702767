// TestPrefix.h - the mark of the private Wine prefix that the tests run in.
//
// tools/winerun writes the key HKLM\Software\OrdanelTestPrefix into every prefix it creates.
// Helpers that write the machine's Uninstall keys or switch the desktop's visual style check for
// it first: run directly on Windows (or in someone's own Wine prefix) they would change the real
// machine, so there they refuse instead.
//
// In this file:
//   kTestPrefixMarkerKey  the marker's path below HKEY_LOCAL_MACHINE
//   InsideTestPrefix      whether the marker is there
//   RequireTestPrefix     the guard: throws when it is not
#pragma once

#include <windows.h>

namespace testsupport {

inline constexpr char kTestPrefixMarkerKey[] = "Software\\OrdanelTestPrefix";

/// Whether HKEY_LOCAL_MACHINE, as this process sees it (a redirection by RegOverridePredefKey
/// counts), holds the marker key. Read through advapi32 itself, never through the catalogue's
/// replaceable table, so that a test's fake registry cannot answer for the machine.
bool InsideTestPrefix();

/// Throws std::runtime_error, naming what was refused and why, unless InsideTestPrefix().
/// Call it before the first write.
void RequireTestPrefix(const char* what);

} // namespace testsupport

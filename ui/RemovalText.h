// RemovalText.h - the texts that tell the user what became of a removal, made from the codes that
// the catalogue reports.
//
// Functions in this file:
//   SystemErrorText     the system's text for an error code, or the catalogue's own sentence
//   BackupFailureText   what failed in writing a backup, naming the folder, file or key
//   RemovalFailureText  the message shown when an entry's key stays
#pragma once

#include "catalogue/Catalogue.h"

#include <windows.h>

#include <string>

namespace ui {

/// The system's message text for a Win32 error code, without the trailing line break; a sentence
/// of its own for each of the catalogue's codes (kErrorKeyChanged, kErrorLinkAbove).
std::string SystemErrorText(LSTATUS error);

/// What failed, naming the folder, file or key concerned, as one sentence in the ANSI code page;
/// empty when nothing failed.
std::string BackupFailureText(const catalogue::TBackupFailure& failure);

/// The message that tells the user an entry's key stayed (also when its backup could not be
/// written, and why), or an empty text when it went.
std::string RemovalFailureText(const catalogue::TRemoval& removal);

} // namespace ui

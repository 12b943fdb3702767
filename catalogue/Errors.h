// Errors.h - the catalogue's own error codes, beside the system's.
//
// In this file:
//   kCatalogueErrorBase  the customer bit that every one of them carries
//   kErrorKeyChanged     a key changed after it was read
//   kErrorLinkAbove      a registry link among the keys above the one to reach
#pragma once

#include <windows.h>

namespace catalogue {

/// The catalogue's own error codes, with the customer bit set (bit 29), so that no code of the
/// system can be taken for one of them.
inline constexpr LSTATUS kCatalogueErrorBase = 0x20000000;

/// The refusal of a key that changed after it was read: a value or subkey was added, removed or
/// rewritten since (the backup was written before the deletion, so the backup would not hold it).
inline constexpr LSTATUS kErrorKeyChanged = kCatalogueErrorBase | 1;

/// The refusal of a deletion that met a registry link among the keys above the one to delete: the
/// path would lead into another tree, so nothing was deleted.
inline constexpr LSTATUS kErrorLinkAbove = kCatalogueErrorBase | 2;

} // namespace catalogue

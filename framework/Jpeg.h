// Jpeg.h - JPEG pictures, decoded with libjpeg.
//
// In this file:
//   EJpegError        picture data the decoder refuses; the message is the library's own
//   DecodeJpeg        a JPEG held in memory (baseline or progressive; greyscale, YCbCr or RGB)
//                     as a 32-bit top-down bitmap
//   JpegBlocksInUse   the memory blocks the library holds, for leak checks: none between decodes
//
// The library's faults never end the process: its error exit throws EJpegError, and the
// decompressor with all its memory is released on every way out. Its warnings (data that ends
// early, a corrupt stretch of data) are not faults: what could be decoded is kept, the rest of a
// baseline picture is grey.
//
// Not done yet: CMYK and YCCK pictures (refused with the library's message), decoding at a
// reduced scale, the orientation of camera pictures.
#pragma once

#include "framework/Graphics.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace framework {

FRAMEWORK_EXCEPTION_KIND(EJpegError, EInvalidGraphic);

/// Pictures of more pixels than this are refused before anything is allocated for them: a few
/// bytes of header can claim 65,500 x 65,500 pixels.
inline constexpr std::int64_t kMaxJpegPixels = std::int64_t{1} << 24;

/// Decodes data into a new pf32bit bitmap of the picture's size (BGRA, alpha 255). Throws
/// EJpegError with the library's message (or one naming a picture that is too large), or
/// EOutOfResources when the bitmap cannot be made.
std::unique_ptr<TBitmap> DecodeJpeg(std::span<const std::uint8_t> data);

/// Memory blocks the library has allocated and not yet freed, in all decompressors alive.
long JpegBlocksInUse() noexcept;

} // namespace framework

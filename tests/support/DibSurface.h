// DibSurface.h - pixel-test helpers: a 32-bit top-down DIB section in a memory DC.
//
// Classes in this file:
//   DibSurface  a width x height BGRA surface pre-filled with a sentinel, its memory DC, direct
//               pixel reads, and gtest checks that report expected and got (pixel colours,
//               untouched pixels outside a rectangle, bounds of drawn pixels)
//   CaptureScreen, SaveBitmapFile  what the screen shows, kept as a file for a person to look at
//   DcSnapshot  the selected objects, colours, modes, origins and clip box of a DC, to check
//               that drawing code left the DC as it found it
//
// GDI writes pixels with alpha 0; the sentinel has a non-zero alpha, so any write is noticed.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace testsupport {

/// "RGB(r, g, b)" for messages.
std::string DescribeRgb(COLORREF color);

class DibSurface {
public:
    static constexpr std::uint32_t kDefaultSentinel = 0xA5C3D2E1; // alpha A5: never written by GDI

    DibSurface(int width, int height, std::uint32_t sentinel = kDefaultSentinel);
    ~DibSurface();
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;

    HDC dc() const noexcept { return dc_; }
    HBITMAP bitmap() const noexcept { return bitmap_; }
    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }
    std::uint32_t sentinel() const noexcept { return sentinel_; }
    RECT bounds() const noexcept { return RECT{0, 0, width_, height_}; }

    /// Sets every pixel to value (BGRA as a little-endian 32-bit word: 0xAARRGGBB).
    void Fill(std::uint32_t value);
    /// Back to the sentinel everywhere.
    void Reset() { Fill(sentinel_); }

    /// The raw BGRA word of a pixel (0xAARRGGBB); flushes GDI first.
    std::uint32_t Bgra(int x, int y) const;
    /// The pixel as a COLORREF (alpha dropped).
    COLORREF Rgb(int x, int y) const;
    bool IsSentinel(int x, int y) const { return Bgra(x, y) == sentinel_; }

    /// The pixel word GDI writes for color: 0x00RRGGBB.
    static std::uint32_t PixelOf(COLORREF color) noexcept;

    /// The pixel (x, y) shows color (alpha ignored).
    ::testing::AssertionResult HasColor(int x, int y, COLORREF color) const;
    /// Every pixel of rect (clipped to the surface) shows color.
    ::testing::AssertionResult AllHaveColor(const RECT& rect, COLORREF color) const;
    /// Every pixel outside rect still holds the sentinel.
    ::testing::AssertionResult OutsideUntouched(const RECT& rect) const;
    /// Every pixel of rect (clipped to the surface) still holds the sentinel.
    ::testing::AssertionResult InsideUntouched(const RECT& rect) const;
    /// Every pixel still holds the sentinel.
    ::testing::AssertionResult Untouched() const { return OutsideUntouched(RECT{0, 0, 0, 0}); }

    /// Number of pixels of rect showing color.
    int CountColor(const RECT& rect, COLORREF color) const;
    /// The smallest rectangle holding every pixel of color; empty (0,0,0,0) when there is none.
    RECT BoundsOfColor(COLORREF color) const;
    /// The smallest rectangle holding every pixel that no longer holds the sentinel.
    RECT BoundsOfChanged() const;

private:
    template <typename Pred> RECT BoundsWhere(Pred pred) const;

    int width_;
    int height_;
    std::uint32_t sentinel_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

/// A copy of what the screen shows in rect (screen coordinates), for looking at other programs'
/// windows as a person sees them.
std::unique_ptr<DibSurface> CaptureScreen(const RECT& rect);

/// Writes the surface as a 32-bit bitmap file (.bmp); false when the file cannot be written.
bool SaveBitmapFile(const DibSurface& surface, const std::string& path);

/// What a DC has selected and set; compare two snapshots with ==.
struct DcSnapshot {
    HGDIOBJ font, brush, pen, bitmap;
    COLORREF textColor, bkColor;
    int bkMode, rop2;
    POINT windowOrg, viewportOrg;
    RECT clipBox;
    int clipKind;

    static DcSnapshot Of(HDC dc);
    bool operator==(const DcSnapshot& other) const;
    std::string Describe() const;
};

std::ostream& operator<<(std::ostream& out, const DcSnapshot& snapshot);

} // namespace testsupport

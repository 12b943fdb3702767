// DibSurface.cpp - the DIB-section test surface and DC snapshots (see DibSurface.h).
#include "tests/support/DibSurface.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace testsupport {

std::string DescribeRgb(COLORREF color) {
    char text[48];
    std::snprintf(text, sizeof(text), "RGB(%u, %u, %u)", GetRValue(color), GetGValue(color),
                  GetBValue(color));
    return text;
}

namespace {
std::string DescribeRect(const RECT& r) {
    char text[80];
    std::snprintf(text, sizeof(text), "(%ld, %ld, %ld, %ld)", r.left, r.top, r.right, r.bottom);
    return text;
}
} // namespace

DibSurface::DibSurface(int width, int height, std::uint32_t sentinel)
    : width_(width), height_(height), sentinel_(sentinel) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down: row 0 is the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = ::CreateCompatibleDC(nullptr);
    bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dc_ || !bitmap_)
        throw std::runtime_error("cannot create the test DIB section");
    bits_ = static_cast<std::uint32_t*>(bits);
    oldBitmap_ = ::SelectObject(dc_, bitmap_);
    Reset();
}

DibSurface::~DibSurface() {
    ::SelectObject(dc_, oldBitmap_);
    ::DeleteDC(dc_);
    ::DeleteObject(bitmap_);
}

void DibSurface::Fill(std::uint32_t value) {
    ::GdiFlush();
    std::fill(bits_, bits_ + static_cast<size_t>(width_) * height_, value);
}

std::uint32_t DibSurface::Bgra(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        throw std::out_of_range("pixel outside the test surface");
    ::GdiFlush();
    return bits_[static_cast<size_t>(y) * width_ + x];
}

COLORREF DibSurface::Rgb(int x, int y) const {
    std::uint32_t p = Bgra(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

std::uint32_t DibSurface::PixelOf(COLORREF color) noexcept {
    return (static_cast<std::uint32_t>(GetRValue(color)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
}

::testing::AssertionResult DibSurface::HasColor(int x, int y, COLORREF color) const {
    COLORREF got = Rgb(x, y);
    if (got == color)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << x << ", " << y << "): expected " << DescribeRgb(color) << ", got "
           << DescribeRgb(got) << (IsSentinel(x, y) ? " (the sentinel)" : "");
}

::testing::AssertionResult DibSurface::AllHaveColor(const RECT& rect, COLORREF color) const {
    int bad = 0;
    int firstX = 0, firstY = 0;
    for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, height_); ++y)
        for (int x = std::max<int>(rect.left, 0); x < std::min<int>(rect.right, width_); ++x)
            if (Rgb(x, y) != color && bad++ == 0)
                firstX = x, firstY = y;
    if (bad == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << bad << " pixel(s) of " << DescribeRect(rect) << " are not " << DescribeRgb(color)
           << "; the first is (" << firstX << ", " << firstY
           << "): " << DescribeRgb(Rgb(firstX, firstY));
}

::testing::AssertionResult DibSurface::OutsideUntouched(const RECT& rect) const {
    int bad = 0;
    int firstX = 0, firstY = 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
            if (!inside && !IsSentinel(x, y) && bad++ == 0)
                firstX = x, firstY = y;
        }
    if (bad == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << bad << " pixel(s) outside " << DescribeRect(rect)
           << " were drawn on; expected none. The first is (" << firstX << ", " << firstY
           << "): " << DescribeRgb(Rgb(firstX, firstY)) << "; all changed pixels lie in "
           << DescribeRect(BoundsOfChanged());
}

::testing::AssertionResult DibSurface::InsideUntouched(const RECT& rect) const {
    int bad = 0;
    int firstX = 0, firstY = 0;
    for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, height_); ++y)
        for (int x = std::max<int>(rect.left, 0); x < std::min<int>(rect.right, width_); ++x)
            if (!IsSentinel(x, y) && bad++ == 0)
                firstX = x, firstY = y;
    if (bad == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << bad << " pixel(s) inside " << DescribeRect(rect)
           << " were drawn on; expected none. The first is (" << firstX << ", " << firstY
           << "): " << DescribeRgb(Rgb(firstX, firstY));
}

int DibSurface::CountColor(const RECT& rect, COLORREF color) const {
    int count = 0;
    for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, height_); ++y)
        for (int x = std::max<int>(rect.left, 0); x < std::min<int>(rect.right, width_); ++x)
            count += Rgb(x, y) == color && !IsSentinel(x, y);
    return count;
}

template <typename Pred> RECT DibSurface::BoundsWhere(Pred pred) const {
    RECT r{width_, height_, -1, -1};
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (pred(x, y)) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x + 1);
                r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
    if (r.right < 0)
        return RECT{0, 0, 0, 0};
    return r;
}

RECT DibSurface::BoundsOfColor(COLORREF color) const {
    return BoundsWhere([&](int x, int y) { return !IsSentinel(x, y) && Rgb(x, y) == color; });
}

RECT DibSurface::BoundsOfChanged() const {
    return BoundsWhere([&](int x, int y) { return !IsSentinel(x, y); });
}

DcSnapshot DcSnapshot::Of(HDC dc) {
    DcSnapshot s{};
    s.font = ::GetCurrentObject(dc, OBJ_FONT);
    s.brush = ::GetCurrentObject(dc, OBJ_BRUSH);
    s.pen = ::GetCurrentObject(dc, OBJ_PEN);
    s.bitmap = ::GetCurrentObject(dc, OBJ_BITMAP);
    s.textColor = ::GetTextColor(dc);
    s.bkColor = ::GetBkColor(dc);
    s.bkMode = ::GetBkMode(dc);
    s.rop2 = ::GetROP2(dc);
    ::GetWindowOrgEx(dc, &s.windowOrg);
    ::GetViewportOrgEx(dc, &s.viewportOrg);
    s.clipKind = ::GetClipBox(dc, &s.clipBox);
    return s;
}

bool DcSnapshot::operator==(const DcSnapshot& o) const {
    return font == o.font && brush == o.brush && pen == o.pen && bitmap == o.bitmap &&
           textColor == o.textColor && bkColor == o.bkColor && bkMode == o.bkMode &&
           rop2 == o.rop2 && windowOrg.x == o.windowOrg.x && windowOrg.y == o.windowOrg.y &&
           viewportOrg.x == o.viewportOrg.x && viewportOrg.y == o.viewportOrg.y &&
           ::EqualRect(&clipBox, &o.clipBox) && clipKind == o.clipKind;
}

std::string DcSnapshot::Describe() const {
    char text[400];
    std::snprintf(text, sizeof(text),
                  "{font %p, brush %p, pen %p, bitmap %p, text %s, bk %s, bkMode %d, rop2 %d, "
                  "windowOrg (%ld, %ld), viewportOrg (%ld, %ld), clip %d %s}",
                  font, brush, pen, bitmap, DescribeRgb(textColor).c_str(),
                  DescribeRgb(bkColor).c_str(), bkMode, rop2, windowOrg.x, windowOrg.y,
                  viewportOrg.x, viewportOrg.y, clipKind, DescribeRect(clipBox).c_str());
    return text;
}

std::ostream& operator<<(std::ostream& out, const DcSnapshot& snapshot) {
    return out << snapshot.Describe();
}

std::unique_ptr<DibSurface> CaptureScreen(const RECT& rect) {
    auto surface = std::make_unique<DibSurface>(rect.right - rect.left, rect.bottom - rect.top);
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(surface->dc(), 0, 0, surface->width(), surface->height(), screen, rect.left, rect.top,
             SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    return surface;
}

bool SaveBitmapFile(const DibSurface& surface, const std::string& path) {
    const int w = surface.width(), h = surface.height();
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels.push_back(surface.Bgra(x, y) | 0xFF000000u);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = -h; // top-down
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size() * 4);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(pixels.data()),
              static_cast<std::streamsize>(pixels.size() * 4));
    return static_cast<bool>(out);
}

} // namespace testsupport

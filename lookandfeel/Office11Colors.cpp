// Office11Colors.cpp - the Office 11 palette: scheme detection, the colour table and the blends
// used without a scheme, the colour helpers, and the program's one palette with its brushes and
// bitmaps.
#include "lookandfeel/Office11Colors.h"

#include "lookandfeel/ThemeServices.h"
#include "lookandfeel/cxGraphics.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lookandfeel {

using framework::ColorToRGB;

namespace {

// --- The colour table of the three variants ---------------------------------------------------

using EntryRow = std::array<TColor, kOffice11EntryCount>;

constexpr EntryRow kBlueEntries = {
    0xFEECDD, 0xE2A981, 0xF5BE9E, 0xF9DAC3, 0x913500, 0xF1A675, 0x76C1FF, 0xD3F8FF, 0x98DDFF,
    0x5295FE, 0x9C613B, 0xE0A47B, 0x764127, 0xFFFFFF, 0xCB8C6A, 0xFFF9F1, 0xC9662A, 0xF9DBC4,
    0x962D00, 0xF6F6F6, 0xC2EEFF, 0x800000, 0xCCF4FF, 0x91D0FF, 0x8ED3FF, 0x4E91FE, 0xFCE1CB,
    0x6FC0FF, 0x3E80FE, 0xF0C7A9, 0x000000, 0x8D8D8D, 0xFBDABE, 0x94E6FB, 0xFADAC4, 0x962D00,
    0xB96837, 0x962D00, 0xFBE5D3, 0xE4AE88, 0xDCFFFF, 0x5BC0F7, 0x94E6FB, 0x1595EE, 0x087FE8,
    0x7CDAF7, 0xD68759, 0x933803, 0xFFFFFF,
};

constexpr EntryRow kOliveEntries = {
    0xDEF7F4, 0x91C6B7, 0xA7D9D9, 0xE4F0F2, 0x6B7760, 0x8CC2B0, 0x76C1FF, 0xD3F8FF, 0x98DDFF,
    0x5295FE, 0x588060, 0x8FC4B5, 0x335E51, 0xFFFFFF, 0x588060, 0xDEF7F4, 0x5E8674, 0xADDEE1,
    0x5E8D75, 0xEEF4F4, 0xC2EEFF, 0x385D3F, 0xCCF4FF, 0x91D0FF, 0x8ED3FF, 0x4E91FE, 0xB6E3D8,
    0x6FC0FF, 0x3E80FE, 0x9FD4C5, 0x000000, 0x8D8D8D, 0x91BAAF, 0x94E6FB, 0xE4F1F2, 0x588060,
    0x548973, 0x5E8D75, 0xDBF5F2, 0x97C9BC, 0xDCFFFF, 0x5BC0F7, 0x94E6FB, 0x1595EE, 0x087FE8,
    0x7CDAF7, 0x82C0AF, 0x447A63, 0xFFFFFF,
};

constexpr EntryRow kSilverEntries = {
    0xFAF4F3, 0xB59799, 0xE5D7D7, 0xF7F3F3, 0x927476, 0xC8B2B3, 0x76C1FF, 0xD3F8FF, 0x98DDFF,
    0x5295FE, 0x947C7C, 0xB09193, 0x755454, 0xFFFFFF, 0x8F6D6E, 0xFFFFFF, 0x99797A, 0xE4DADB,
    0x947C7C, 0xFFFAFD, 0xC2EEFF, 0x6F4B4B, 0xCCF4FF, 0x91D0FF, 0x8ED3FF, 0x4E91FE, 0xE7D3D6,
    0x6FC0FF, 0x3E80FE, 0xD3C0C0, 0x000000, 0x8D8D8D, 0xEBE5E5, 0x94E6FB, 0xF7F3F3, 0x947C7C,
    0x916F70, 0x947C7C, 0xF8F1F0, 0xBA9EA0, 0xDCFFFF, 0x5BC0F7, 0x94E6FB, 0x1595EE, 0x087FE8,
    0x7CDAF7, 0xBFA7A8, 0x916F70, 0xFFFFFF,
};

const EntryRow* SchemeEntries(Office11Scheme scheme) noexcept {
    switch (scheme) {
    case Office11Scheme::Blue: return &kBlueEntries;
    case Office11Scheme::Olive: return &kOliveEntries;
    case Office11Scheme::Silver: return &kSilverEntries;
    default: return nullptr;
    }
}

int SchemeTuning(Office11Scheme scheme) noexcept {
    switch (scheme) {
    case Office11Scheme::Blue: return 41;
    case Office11Scheme::Olive: return 125;
    case Office11Scheme::Silver: return 40;
    default: return 75;
    }
}

TColor AsColor(COLORREF rgb) noexcept {
    return static_cast<TColor>(rgb & 0x00FFFFFF);
}

int Channel(COLORREF rgb, int shift) noexcept {
    return static_cast<int>((rgb >> shift) & 0xFF);
}

// --- Scheme detection -------------------------------------------------------------------------

constexpr int kThemeNameLength = 1024;
using ThemeNameBuffer = std::array<wchar_t, kThemeNameLength>;

/// The text of a buffer the theme library filled. The library truncates a longer name to the
/// buffer and terminates it; a buffer without a terminator was not filled as promised and is
/// not read past its end.
std::optional<std::wstring> BufferText(const ThemeNameBuffer& buffer) {
    size_t length = ::wcsnlen(buffer.data(), buffer.size());
    if (length == buffer.size())
        return std::nullopt;
    return std::wstring(buffer.data(), length);
}

std::wstring UpperCase(std::wstring text) {
    if (!text.empty())
        ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

/// The file-name part of a path: what follows the last directory or drive separator.
std::wstring_view FileNamePart(std::wstring_view path) noexcept {
    size_t separator = path.find_last_of(L"\\/:");
    return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

Office11Scheme SchemeFromThemeNames(const std::wstring& fileName, const std::wstring& colorName) {
    if (UpperCase(std::wstring(FileNamePart(fileName))) != L"LUNA.MSSTYLES")
        return Office11Scheme::None;
    std::wstring color = UpperCase(colorName);
    if (color == L"NORMALCOLOR")
        return Office11Scheme::Blue;
    if (color == L"HOMESTEAD")
        return Office11Scheme::Olive;
    if (color == L"METALLIC")
        return Office11Scheme::Silver;
    return Office11Scheme::None;
}

} // namespace

Office11Scheme DetectOffice11Scheme() {
    if (!ThemesAvailable())
        return Office11Scheme::None;
    ThemeNameBuffer fileName{};
    ThemeNameBuffer colorName{};
    ThemeNameBuffer sizeName{};
    HRESULT result =
        lookandfeel::GetCurrentThemeName(fileName.data(), kThemeNameLength, colorName.data(),
                                         kThemeNameLength, sizeName.data(), kThemeNameLength);
    if (FAILED(result))
        return Office11Scheme::None;
    std::optional<std::wstring> file = BufferText(fileName);
    std::optional<std::wstring> color = BufferText(colorName);
    if (!file || !color)
        return Office11Scheme::None;
    return SchemeFromThemeNames(*file, *color);
}

// --- System colour snapshot -------------------------------------------------------------------

SystemColorSet SystemColorSet::Current() {
    SystemColorSet set;
    for (int index = 0; index < kCount; ++index)
        set.values_[static_cast<size_t>(index)] = ::GetSysColor(index);
    return set;
}

COLORREF SystemColorSet::Get(int index) const noexcept {
    return index >= 0 && index < kCount ? values_[static_cast<size_t>(index)] : 0;
}

void SystemColorSet::Set(int index, COLORREF rgb) noexcept {
    if (index >= 0 && index < kCount)
        values_[static_cast<size_t>(index)] = rgb & 0x00FFFFFF;
}

COLORREF SystemColorSet::Resolve(TColor color) const noexcept {
    if (framework::IsSystemColor(color))
        return Get(static_cast<int>(static_cast<std::uint32_t>(color) & 0xFF));
    return static_cast<COLORREF>(color) & 0x00FFFFFF;
}

// --- Colour helpers ---------------------------------------------------------------------------

TColor MiddleColor(TColor a, TColor b, int percent) {
    COLORREF first = ColorToRGB(a);
    COLORREF second = ColorToRGB(b);
    auto channel = [&](int shift) -> COLORREF {
        int value = ::MulDiv(Channel(first, shift), percent, 100) +
                    ::MulDiv(Channel(second, shift), 100 - percent, 100);
        return static_cast<COLORREF>(std::clamp(value, 0, 255)) << shift;
    };
    return NearestScreenColor(AsColor(channel(0) | channel(8) | channel(16)));
}

TColor CaptionTone(CaptionToneKind kind, COLORREF face) {
    auto channel = [&](int shift) -> COLORREF {
        int v = Channel(face, shift);
        int value = kind == CaptionToneKind::Lighter ? v * 127 / 255 + 128 : v + 4 - 4 * v / 255;
        return static_cast<COLORREF>(std::clamp(value, 0, 255)) << shift;
    };
    return NearestScreenColor(AsColor(channel(0) | channel(8) | channel(16)));
}

TColor CaptionTone(CaptionToneKind kind) {
    return CaptionTone(kind, ColorToRGB(framework::clBtnFace));
}

TColor Office11Colors::MiddleGradient() const {
    return MiddleColor(Entries[0], Entries[1], 50);
}

// --- Palette computation ----------------------------------------------------------------------

Office11Colors ComputeOffice11Colors(Office11Scheme scheme, bool themesAvailable,
                                     const SystemColorSet& system) {
    Office11Colors c;
    const EntryRow* row = SchemeEntries(scheme);
    c.Scheme = row ? scheme : Office11Scheme::None;
    c.SchemeActive = themesAvailable && row != nullptr;
    c.Tuning = c.SchemeActive ? SchemeTuning(scheme) : SchemeTuning(Office11Scheme::None);

    const TColor face = AsColor(system.Get(COLOR_BTNFACE));
    const TColor shadow = AsColor(system.Get(COLOR_BTNSHADOW));
    const TColor window = AsColor(system.Get(COLOR_WINDOW));
    const TColor highlight = AsColor(system.Get(COLOR_HIGHLIGHT));
    auto blend = [&](int p1, int p2, int p3) {
        return BlendColors(static_cast<COLORREF>(face), static_cast<COLORREF>(highlight),
                           static_cast<COLORREF>(window), p1, p2, p3);
    };

    auto& e = c.Entries;
    if (c.SchemeActive) {
        e = *row;
    } else {
        e[0] = MiddleColor(face, window, 22);
        e[1] = MiddleColor(face, window, 96);
        e[2] = face;
        e[3] = MiddleColor(face, window, 20);
        e[4] = shadow;
        e[5] = MiddleColor(shadow, window, 74);
        e[6] = NearestScreenColor(blend(-15, 29, 86));
        e[7] = e[6];
        e[8] = NearestScreenColor(blend(42, 11, 47));
        e[9] = e[8];
        e[10] = MiddleColor(face, window, 85);
        e[11] = face;
        e[12] = MiddleColor(shadow, window, 76);
        e[13] = window;
        e[14] = MiddleColor(shadow, window, 70);
        e[15] = 0xFFFFFF;
        e[16] = shadow;
        e[17] = e[1];
        e[18] = shadow;
        e[19] = window;
        e[20] = NearestScreenColor(blend(-2, 30, 72));
        e[21] = highlight;
        e[22] = e[20];
        e[23] = e[20];
        e[24] = NearestScreenColor(blend(14, 44, 40));
        e[25] = e[24];
        e[26] = e[1];
        e[27] = blend(41, 11, 48); // deliberately not moved to the nearest screen colour
        e[28] = e[24];
        e[29] = e[1];
        e[30] = AsColor(system.Get(COLOR_BTNTEXT));
        e[31] = AsColor(system.Get(COLOR_GRAYTEXT));
        e[32] = face;
        e[33] = e[27];
        e[34] = e[2];
        e[35] = e[18];
        e[36] = shadow;
        e[37] = NearestScreenColor(shadow);
        e[38] = CaptionTone(CaptionToneKind::Lighter, static_cast<COLORREF>(face));
        e[39] = CaptionTone(CaptionToneKind::Darker, static_cast<COLORREF>(face));
        e[40] = e[22];
        e[41] = e[23];
        e[42] = e[27];
        e[43] = e[27];
        e[44] = e[28];
        e[45] = e[28];
        e[46] = e[37];
        e[47] = e[37];
        e[48] = AsColor(system.Get(COLOR_HIGHLIGHTTEXT));
    }

    for (int i = 0; i < 3; ++i) {
        if (c.SchemeActive)
            c.Mix[i] = MiddleColor(e[5 + 2 * i], e[0], 90);
        else
            c.Mix[i] = MiddleColor(e[4 + 2 * i], window, 50);
        c.Mix[3 + i] = MiddleColor(e[4 + 2 * i], e[11], 50);
    }

    const TColor buttonText = AsColor(system.Get(COLOR_BTNTEXT));
    if (c.SchemeActive) {
        c.DarkText = 0x000000;
        c.LightText = 0xFFFFFF;
        c.LightEdge = 0xFFFFFF;
        c.DarkLine1 = c.DarkLine2 = 0x000000;
        c.InfoColor = 0xC9EEFD;
        c.Shade = e[11];
        c.Spare1 = e[46];
        c.Spare2 = e[47];
    } else {
        c.DarkText = buttonText;
        c.LightText = window;
        c.LightEdge = AsColor(system.Get(COLOR_BTNHIGHLIGHT));
        c.DarkLine1 = c.DarkLine2 = buttonText;
        c.InfoColor = face;
        c.Shade = shadow;
        c.Spare1 = NearestScreenColor(face);
        c.Spare2 = e[37];
    }
    c.DarkGradientEnd1 = MiddleColor(e[0], 0x000000, 92);
    c.DarkGradientEnd2 = MiddleColor(e[1], 0x000000, 92);
    return c;
}

// --- Bitmap recolouring -----------------------------------------------------------------------

void RecolorToGradient(framework::TBitmap& bitmap, TColor light, TColor dark) {
    if (bitmap.Empty() || bitmap.Width() <= 0 || bitmap.Height() <= 0)
        return;
    COLORREF first = ColorToRGB(light);
    COLORREF second = ColorToRGB(dark);
    // Equal ends would turn the arrow into one flat blot: take black (or white) as the other end.
    if (first == second)
        second = first == 0 ? 0xFFFFFF : 0x000000;

    bitmap.SetPixelFormat(framework::pf32bit);
    ::GdiFlush(); // pixels GDI copied in must be in memory before they are read
    if (!bitmap.ScanLine(0))
        return;
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    // A 32-bit DIB pixel is 0xAARRGGBB: red sits in bits 16-23.
    constexpr std::uint32_t kRgbMask = 0x00FFFFFF;
    const std::uint32_t background = *bitmap.ScanLine(0) & kRgbMask;
    auto recoloured = [&](std::uint32_t pixel) {
        std::uint32_t rgb = pixel & kRgbMask;
        return rgb != background && rgb != 0;
    };

    int lowest = 256;
    int highest = -1;
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* line = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            if (!recoloured(line[x]))
                continue;
            int red = static_cast<int>((line[x] >> 16) & 0xFF);
            lowest = std::min(lowest, red);
            highest = std::max(highest, red);
        }
    }
    if (highest < 0)
        return;

    for (int y = 0; y < height; ++y) {
        std::uint32_t* line = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            if (!recoloured(line[x]))
                continue;
            int red = static_cast<int>((line[x] >> 16) & 0xFF);
            // One red value only: there is no range to spread, so the middle of the gradient.
            int position = highest == lowest ? 50 : ::MulDiv(red - lowest, 100, highest - lowest);
            COLORREF colour = ColorToRGB(MiddleColor(AsColor(first), AsColor(second), position));
            line[x] = (line[x] & 0xFF000000u) |
                      (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
                      (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
        }
    }
}

// --- Gradient fill ----------------------------------------------------------------------------

void GradientFill(HDC dc, const RECT& rect, TColor colorA, bool horizontal, TColor colorB) {
    // FillRect does not refuse an inverted rectangle (Wine paints it with its sides swapped,
    // where the caller asked for nothing), so anything without area is refused here.
    if (!dc || rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    const COLORREF a = ColorToRGB(colorA);
    const COLORREF b = ColorToRGB(colorB);
    DcBrushFill fill(dc);
    if (a == b) {
        fill.Fill(rect, a);
        return;
    }

    const int start = horizontal ? rect.left : rect.top;
    const int extent = horizontal ? rect.right - rect.left : rect.bottom - rect.top;
    const int farEdge = start + extent;
    const int bands = std::min(extent, 256);
    for (int i = 0; i < bands; ++i) {
        const int from = start + ::MulDiv(i, extent, bands);
        const int to = start + ::MulDiv(i + 1, extent, bands);
        if (to > from) {
            COLORREF colour = a;
            if (bands > 1) {
                auto channel = [&](int shift) -> COLORREF {
                    int ca = Channel(a, shift);
                    int value = ca + ::MulDiv(Channel(b, shift) - ca, i, bands - 1);
                    return static_cast<COLORREF>(std::clamp(value, 0, 255)) << shift;
                };
                colour = channel(0) | channel(8) | channel(16);
            }
            RECT band = horizontal ? RECT{from, rect.top, to, rect.bottom}
                                   : RECT{rect.left, from, rect.right, to};
            fill.Fill(band, colour);
        }
        if (to >= farEdge)
            break;
    }
}

// --- The program's palette --------------------------------------------------------------------

namespace {

constexpr int kBrushCount = 13;
constexpr int kBrushEntries[kBrushCount - 1] = {12, 13, 14, 15, 18, 19, 20, 21, 26, 27, 28, 29};

constexpr const char* kSubmenuArrowResource = "OFFICE11SUBMENUARROW";
constexpr const char* kExpandMinusResource = "OFFICE11EXPANDMINUS";
constexpr const char* kExpandPlusResource = "OFFICE11EXPANDPLUS";

/// The GDI objects of the palette, alive while it has holders.
struct PaletteResources {
    std::array<framework::UniqueBrush, kBrushCount> brushes;
    framework::TBitmap submenuArrow;
    framework::TBitmap expandMinus;
    framework::TBitmap expandPlus;
};

struct PaletteState {
    Office11Colors colors;
    bool computed = false;
    int holders = 0;
    std::unique_ptr<PaletteResources> resources;
};

PaletteState& State() {
    static PaletteState state;
    return state;
}

void ComputeColors() {
    PaletteState& state = State();
    Office11Scheme scheme = DetectOffice11Scheme();
    state.colors = ComputeOffice11Colors(scheme, ThemesAvailable(), SystemColorSet::Current());
    state.computed = true;
}

/// A bitmap of the program's resources; left empty when the resource is missing, so that the
/// palette still works (the painters then draw without it).
void LoadResourceBitmap(framework::TBitmap& bitmap, const char* name) {
    auto handle = static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (handle)
        bitmap.SetHandle(handle);
}

std::unique_ptr<PaletteResources> CreateResources(const Office11Colors& colors) {
    auto resources = std::make_unique<PaletteResources>();
    for (int i = 0; i < kBrushCount - 1; ++i) {
        COLORREF colour = ColorToRGB(colors.Entries[static_cast<size_t>(kBrushEntries[i])]);
        resources->brushes[static_cast<size_t>(i)].reset(::CreateSolidBrush(colour));
    }
    resources->brushes[kBrushCount - 1].reset(::CreateSolidBrush(ColorToRGB(colors.Mix[3])));

    LoadResourceBitmap(resources->submenuArrow, kSubmenuArrowResource);
    RecolorToGradient(resources->submenuArrow, colors.Entries[0], colors.Entries[1]);
    LoadResourceBitmap(resources->expandMinus, kExpandMinusResource);
    LoadResourceBitmap(resources->expandPlus, kExpandPlusResource);
    return resources;
}

const Office11Colors& Colors() {
    if (!State().computed)
        ComputeColors();
    return State().colors;
}

/// The slot of a brush name; the second names share the slots of entries 18, 19 and 20.
int BrushSlot(Office11Brush brush) noexcept {
    switch (brush) {
    case Office11Brush::Border: return static_cast<int>(Office11Brush::Entry18);
    case Office11Brush::LightBackground: return static_cast<int>(Office11Brush::Entry19);
    case Office11Brush::LightSelection: return static_cast<int>(Office11Brush::Entry20);
    default: break;
    }
    int slot = static_cast<int>(brush);
    return slot >= 0 && slot < kBrushCount ? slot : -1;
}

const framework::TBitmap& EmptyBitmap() noexcept {
    static const framework::TBitmap empty;
    return empty;
}

} // namespace

void AcquireOffice11Palette() {
    PaletteState& state = State();
    if (state.holders == 0) {
        ComputeColors();
        state.resources = CreateResources(state.colors);
    }
    ++state.holders;
}

void RefreshOffice11Palette() {
    PaletteState& state = State();
    ComputeColors();
    if (state.holders > 0)
        state.resources = CreateResources(state.colors); // the old objects go after the new exist
}

void ReleaseOffice11Palette() noexcept {
    PaletteState& state = State();
    if (state.holders <= 0)
        return;
    if (--state.holders == 0)
        state.resources.reset();
}

int Office11PaletteHolders() noexcept {
    return State().holders;
}

const Office11Colors& Office11PaletteColors() {
    return Colors();
}

Office11Scheme Office11CurrentScheme() {
    return Colors().Scheme;
}

bool Office11SchemeActive() {
    return Colors().SchemeActive;
}

TColor Office11Entry(int index) {
    if (index < 0 || index >= kOffice11EntryCount)
        return framework::clNone;
    return Colors().Entries[static_cast<size_t>(index)];
}

TColor Office11LightGradientColor() {
    return Office11Entry(0);
}
TColor Office11DarkGradientColor() {
    return Office11Entry(1);
}
TColor Office11FaceColor() {
    return Office11Entry(2);
}
TColor Office11LightFaceColor() {
    return Office11Entry(3);
}
TColor Office11DarkEdgeColor() {
    return Office11Entry(16);
}
TColor Office11BorderColor() {
    return Office11Entry(18);
}
TColor Office11HotFrameColor() {
    return Office11Entry(21);
}
TColor Office11HotFaceColor() {
    return Office11Entry(22);
}
TColor Office11PressedFaceColor() {
    return Office11Entry(24);
}
TColor Office11TextColor() {
    return Office11Entry(30);
}
TColor Office11DisabledTextColor() {
    return Office11Entry(31);
}
TColor Office11HeaderColor() {
    return Office11Entry(32);
}
TColor Office11SelectionColor() {
    return Office11Entry(33);
}
TColor Office11FooterColor() {
    return Office11Entry(34);
}
TColor Office11LineColor() {
    return Office11Entry(35);
}
TColor Office11GroupColor() {
    return Colors().Mix[3];
}
TColor Office11LightEdgeColor() {
    return Colors().LightEdge;
}
TColor Office11MiddleGradientColor() {
    return Colors().MiddleGradient();
}
int Office11Tuning() {
    return Colors().Tuning;
}

HBRUSH Office11BrushHandle(Office11Brush brush) noexcept {
    const auto& resources = State().resources;
    int slot = BrushSlot(brush);
    if (!resources || slot < 0)
        return nullptr;
    return resources->brushes[static_cast<size_t>(slot)].get();
}

const framework::TBitmap& Office11SubmenuArrowBitmap() noexcept {
    const auto& resources = State().resources;
    return resources ? resources->submenuArrow : EmptyBitmap();
}

const framework::TBitmap& Office11ExpandMinusBitmap() noexcept {
    const auto& resources = State().resources;
    return resources ? resources->expandMinus : EmptyBitmap();
}

const framework::TBitmap& Office11ExpandPlusBitmap() noexcept {
    const auto& resources = State().resources;
    return resources ? resources->expandPlus : EmptyBitmap();
}

} // namespace lookandfeel

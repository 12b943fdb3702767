// Office11Colors.h - the Office 11 palette: colours, brushes and bitmaps shared by every control
// drawn in the Office 11 look.
//
// In this file:
//   Office11Scheme, DetectOffice11Scheme, Office11SchemeActive
//                           which colour variant of the standard XP visual style is active
//   SystemColorSet          a snapshot of the system colours the palette is computed from
//   Office11Colors, ComputeOffice11Colors
//                           the 49 record entries, the derived entries and the tuning value
//   MiddleColor, CaptionTone, RecolorToGradient, GradientFill
//                           the colour helpers of the palette
//   AcquireOffice11Palette / RefreshOffice11Palette / ReleaseOffice11Palette
//                           the program's one palette and its holders
//   Office11FaceColor ... Office11LightEdgeColor, Office11BrushHandle, the three bitmaps
//                           what the painters read
//
// The program's windows never draw with this palette: their controls use native style, and only
// the Office 11 look (Kind lfOffice11 without native style, or the cbsOffice11 border) reads it.
// It is kept because the look-and-feel module holds it alongside the colour-change broadcast
// (refreshed before any control repaints), the Office 11 painter and border are built on it, and
// its tests pin its values for each colour variant.
//
// With the standard XP visual style ("LUNA.MSSTYLES") in one of its three colour variants the
// record entries come from a built-in table; otherwise they are blends of the system colours.
// Everything here runs on the GUI thread only.
#pragma once

#include "framework/Graphics.h"

#include <array>

namespace lookandfeel {

using framework::TColor;

// --- Scheme -----------------------------------------------------------------------------------

enum class Office11Scheme : int { None = 0, Blue = 1, Olive = 2, Silver = 3 };

/// The colour variant of the active visual style: None unless themes are available and the
/// current theme file is "LUNA.MSSTYLES" with the colour variant "NORMALCOLOR" (Blue),
/// "HOMESTEAD" (Olive) or "METALLIC" (Silver), compared in upper case. A failing theme-name query
/// gives None.
Office11Scheme DetectOffice11Scheme();

// --- Colour computation -----------------------------------------------------------------------

/// The system colours (GetSysColor indices 0 to COLOR_MENUBAR) as RGB values, taken at one moment.
/// The palette is computed from such a snapshot, so that tests can change one colour without
/// changing the desktop's.
class SystemColorSet {
public:
    static constexpr int kCount = COLOR_MENUBAR + 1;

    /// Every colour as GetSysColor reports it now.
    static SystemColorSet Current();

    /// The RGB of a system colour index; 0 for an index outside the set.
    COLORREF Get(int index) const noexcept;
    /// Replaces one colour (an index outside the set is ignored).
    void Set(int index, COLORREF rgb) noexcept;
    /// A system colour reference (clBtnFace ...) looked up in this set; any other value keeps its
    /// low three bytes.
    COLORREF Resolve(TColor color) const noexcept;

private:
    std::array<COLORREF, kCount> values_{};
};

inline constexpr int kOffice11EntryCount = 49;
inline constexpr int kOffice11MixCount = 6;

/// The two colours that are the same in every case.
inline constexpr TColor Office11FixedLightColor = RGB(158, 174, 191);
inline constexpr TColor Office11FixedDarkColor = RGB(46, 70, 95);

/// The colours of the palette, all RGB values.
struct Office11Colors {
    Office11Scheme Scheme = Office11Scheme::None;
    /// Themes were available and the scheme is not None: the record entries come from the table.
    bool SchemeActive = false;
    std::array<TColor, kOffice11EntryCount> Entries{};
    /// Mix 0-2: blends of entries 5, 7, 9 with entry 0 (scheme) or of entries 4, 6, 8 with
    /// clWindow; mix 3-5: blends of entries 4, 6, 8 with entry 11. Mix 3 is the group colour.
    std::array<TColor, kOffice11MixCount> Mix{};
    TColor DarkText = 0;
    TColor LightText = 0;
    TColor LightEdge = 0;
    TColor DarkLine1 = 0;
    TColor DarkLine2 = 0;
    TColor InfoColor = 0;
    TColor Shade = 0;
    TColor Spare1 = 0;
    TColor Spare2 = 0;
    /// Entries 0 and 1 darkened towards black (92 % of the entry).
    TColor DarkGradientEnd1 = 0;
    TColor DarkGradientEnd2 = 0;
    /// 41 (Blue), 125 (Olive), 40 (Silver), 75 without a scheme.
    int Tuning = 75;

    /// MiddleColor(entry 0, entry 1, 50), computed on each call.
    TColor MiddleGradient() const;
};

/// The palette's colours for a detected scheme: with themesAvailable and a scheme other than
/// None the record entries are the scheme's table row, otherwise blends of the system colours.
Office11Colors ComputeOffice11Colors(Office11Scheme scheme, bool themesAvailable,
                                     const SystemColorSet& system);

/// Per component a * percent / 100 + b * (100 - percent) / 100, each product rounded (MulDiv),
/// the sum kept to 0..255, then NearestScreenColor. System colours are resolved first.
TColor MiddleColor(TColor a, TColor b, int percent);

enum class CaptionToneKind { Lighter, Darker };
/// Per component v of face: lighter (v * 127) div 255 + 128, darker v + 4 - (4 * v) div 255;
/// then NearestScreenColor.
TColor CaptionTone(CaptionToneKind kind, COLORREF face);
/// The same for the current clBtnFace.
TColor CaptionTone(CaptionToneKind kind);

/// Recolours a bitmap into the gradient from dark to light: the top-left pixel's colour is the
/// background and stays, black stays; every other pixel's red value is placed in the range of
/// red values found among those pixels (lowest 0 %, highest 100 %, all equal 50 %) and the pixel
/// becomes MiddleColor(light, dark, that position). When light and dark are equal, dark becomes
/// black (white when light is black). The bitmap is converted to pf32bit; an empty bitmap is
/// left alone.
void RecolorToGradient(framework::TBitmap& bitmap, TColor light, TColor dark);

/// Fills rect with bands from colourA to colourB, left to right (horizontal) or top to bottom:
/// n = min(extent, 256) bands, band i from start + MulDiv(i, extent, n) to
/// start + MulDiv(i + 1, extent, n) in colourA + MulDiv(colourB - colourA, i, n - 1) per
/// component. Equal colours fill with one colour; an extent of 1 is one band of colourA; an empty
/// or inverted rectangle draws nothing. The DC's brush selection and DC brush colour are kept.
void GradientFill(HDC dc, const RECT& rect, TColor colorA, bool horizontal, TColor colorB);

// --- The program's palette --------------------------------------------------------------------

/// First holder (count 0): computes the colours and creates the brushes and bitmaps. Then
/// count + 1.
void AcquireOffice11Palette();
/// Recomputes the colours (the scheme is detected anew); with holders, the brushes and bitmaps
/// are rebuilt from the new colours.
void RefreshOffice11Palette();
/// Count - 1; the last holder's release frees the brushes and bitmaps (the colours stay). A
/// release without a holder does nothing.
void ReleaseOffice11Palette() noexcept;
/// The number of holders.
int Office11PaletteHolders() noexcept;

/// The palette's colours; computed now if they never were.
const Office11Colors& Office11PaletteColors();
/// The scheme of the last computation.
Office11Scheme Office11CurrentScheme();
/// Whether the last computation found themes available and a scheme.
bool Office11SchemeActive();
/// Record entry index (0..48); clNone for an index outside the record.
TColor Office11Entry(int index);

TColor Office11LightGradientColor();  ///< entry 0
TColor Office11DarkGradientColor();   ///< entry 1
TColor Office11FaceColor();           ///< entry 2
TColor Office11LightFaceColor();      ///< entry 3
TColor Office11DarkEdgeColor();       ///< entry 16
TColor Office11BorderColor();         ///< entry 18
TColor Office11HotFrameColor();       ///< entry 21
TColor Office11HotFaceColor();        ///< entry 22
TColor Office11PressedFaceColor();    ///< entry 24
TColor Office11TextColor();           ///< entry 30
TColor Office11DisabledTextColor();   ///< entry 31
TColor Office11HeaderColor();         ///< entry 32
TColor Office11SelectionColor();      ///< entry 33
TColor Office11FooterColor();         ///< entry 34
TColor Office11LineColor();           ///< entry 35
TColor Office11GroupColor();          ///< mix 3
TColor Office11LightEdgeColor();      ///< the light edge entry
TColor Office11MiddleGradientColor(); ///< MiddleColor(entry 0, entry 1, 50), computed now
int Office11Tuning();

/// The palette's solid brushes. The last three are second names of the brushes of entries 18,
/// 19 and 20: the same handle, deleted once.
enum class Office11Brush : int {
    Entry12,
    Entry13,
    Entry14,
    Entry15,
    Entry18,
    Entry19,
    Entry20,
    Entry21,
    Entry26,
    Entry27,
    Entry28,
    Entry29,
    Group,           ///< mix 3
    Border,          ///< entry 18
    LightBackground, ///< entry 19
    LightSelection,  ///< entry 20
};
/// The brush, owned by the palette; null while nobody holds the palette (or if GDI refused it).
HBRUSH Office11BrushHandle(Office11Brush brush) noexcept;

/// The palette's bitmaps, owned by it; empty while nobody holds the palette. The submenu arrow is
/// recoloured into the gradient of entries 0 and 1. A reference (like a brush handle) is good
/// until the next refresh or the last release.
const framework::TBitmap& Office11SubmenuArrowBitmap() noexcept;
const framework::TBitmap& Office11ExpandMinusBitmap() noexcept;
const framework::TBitmap& Office11ExpandPlusBitmap() noexcept;

} // namespace lookandfeel

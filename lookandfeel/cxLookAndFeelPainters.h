// cxLookAndFeelPainters.h - the painters: one stateless object per visual style that knows how
// that style draws the pieces of a control (button face and frame, borders, arrows) and the sizes
// and colours that belong to them.
//
// Classes and types in this file:
//   TcxLookAndFeelKind        the drawing styles a look-and-feel can ask for
//   TcxButtonState, PainterStyle, ArrowDirection
//   TcxCustomLookAndFeelPainter   the root painter; the others derive from it:
//     TcxStandardLookAndFeelPainter, TcxWinXPLookAndFeelPainter (themed, over Standard),
//     TcxFlatLookAndFeelPainter, TcxUltraFlatLookAndFeelPainter,
//     TcxOffice11LookAndFeelPainter (over UltraFlat)
//   TcxDefaultColor            the painters' default colours of grid-like parts
//   TcxLookAndFeelPainterClass   a painter "class": a pointer to the painter's only instance
//   InitializePainters / FinalizePainters   the ultra-flat colour cache and its refresh
//
// The painters' code is in one file per family: cxLookAndFeelPainters.cpp (the root),
// cxStandardPainter.cpp, cxWinXPPainter.cpp and cxFlatPainters.cpp (Flat, UltraFlat, Office 11),
// sharing the fills and frames of cxPainterParts.h.
//
// Painters take everything as arguments (a borrowed canvas, a rectangle they never change, a
// state, colours with clDefault for "the painter chooses"); the only data kept between calls is
// the cache of the ultra-flat hot and pressed face colours.
//
// TODO: the header-cell, tab, check-mark, radio-button, expand-button drawing, scroll-bar part
// and panel operations (their controls are not placed by this program).
#pragma once

#include "framework/Colors.h"
#include "lookandfeel/ThemeManager.h"
#include "lookandfeel/cxGraphics.h"

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace lookandfeel {

/// Stored by value in window definitions: names and order are fixed.
enum TcxLookAndFeelKind : std::uint8_t { lfFlat, lfStandard, lfUltraFlat, lfOffice11 };

enum TcxButtonState : std::uint8_t { cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled };

enum class PainterStyle : std::uint8_t { Flat, Standard, UltraFlat, Native, Office11 };

/// lfFlat, lfUltraFlat and lfOffice11 for their styles; lfStandard for every other style.
TcxLookAndFeelKind StyleToKind(PainterStyle style) noexcept;

enum class ArrowDirection : std::uint8_t { Up, Down, Left, Right };

/// The default colours that painters give the parts of grid-like controls (content, header,
/// footer, group rows, indicator, selection ...). The values are the painters' own; the
/// controls of this program use none of them.
enum class TcxDefaultColor : std::uint8_t {
    Content,
    ContentText,
    ContentDarkEdge,
    ContentLightEdge,
    EditorText,
    FilterBox,
    FilterBoxText,
    GridLine,
    Header,
    HeaderText,
    Group,
    GroupByBox,
    GroupByBoxMiddle,
    GroupText,
    GroupByBoxLine,
    Inactive,
    HyperlinkText,
    Preview,
    PreviewText,
    HotTrackText,
    TreeLine,
    Indicator,
    Selection,
    SelectionText,
    InplaceEditor,
    InplaceEditorText,
    ContainerBorder,
    Footer,
    SortedColumn,
    CardText,
    FocusedSelection,
    FocusedSelectionText,
    Card,
    LayoutView,
    LayoutViewText,
    TabBody,
    BandBackground,
    Shadow,
    Panel,
    PanelText,
    FooterCell,
    Separator,
    NavigationLine,
    NavigationText,
    DisabledCell,
    NewItemRow,
    NewItemRowBorder,
    TileSelection,
    TileSelectionFrame,
    SizeGrip,
    Splitter,
};
inline constexpr int kDefaultColorCount = 51;

/// Left, top, right and bottom widths of a frame.
struct TcxFrameWidths {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TcxFrameWidths&, const TcxFrameWidths&) = default;
};

/// The root painter. Painters hold no state; each class has exactly one instance, reached
/// through Instance(), and callers hold it as a TcxLookAndFeelPainterClass. Every drawing
/// operation works on a copy of the rectangle it is given and leaves the canvas's brush solid.
class TcxCustomLookAndFeelPainter {
public:
    using TColor = framework::TColor;

    TcxCustomLookAndFeelPainter(const TcxCustomLookAndFeelPainter&) = delete;
    TcxCustomLookAndFeelPainter& operator=(const TcxCustomLookAndFeelPainter&) = delete;

    static const TcxCustomLookAndFeelPainter& Instance() noexcept;

    virtual PainterStyle Style() const noexcept;

    // --- Default colours --------------------------------------------------------------------

    /// One of the 51 default colours; a value outside the enumeration gives clDefault.
    virtual TColor DefaultColor(TcxDefaultColor which) const;

    // --- Arrows -----------------------------------------------------------------------------

    /// A small downward triangle (5 wide, 3 high, smaller when rect is) centred in rect, the
    /// glyph of a drop-down button.
    void PaintSmallArrow(TcxCanvas& canvas, const RECT& rect, TColor color) const;
    /// A filled arrow in color, centred in the largest square centred in rect. Its base is
    /// (side - 1) div 2 made odd, its height base div 2 + 1.
    virtual void PaintArrow(TcxCanvas& canvas, const RECT& rect, ArrowDirection direction,
                            TColor color) const;
    /// A button face (asButton) or a plain fill of the face colour, then the arrow in the
    /// caption colour of state, sized by rect itself (not squared).
    virtual void PaintArrowButton(TcxCanvas& canvas, const RECT& rect, TcxButtonState state,
                                  ArrowDirection direction, bool asButton) const;
    /// The arrow of a button's drop-down part: pressed moves it by ButtonPressedShift; disabled
    /// draws it embossed (clBtnHighlight one pixel right and down, clBtnShadow in place).
    void PaintDropDownArrow(TcxCanvas& canvas, const RECT& rect, TcxButtonState state,
                            ArrowDirection direction) const;

    // --- Control border ---------------------------------------------------------------------

    virtual int ControlBorderWidth() const;
    virtual void PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const;

    // --- Push buttons -----------------------------------------------------------------------

    /// The rectangle in which a button whose bounds are rect is painted.
    virtual RECT AdjustButtonPaintBounds(const RECT& rect) const;
    /// The width of the frame PaintButtonFrame draws for state.
    virtual int ButtonFrameWidth(TcxButtonState state) const;
    virtual TColor ButtonFaceColor(TcxButtonState state) const;
    /// Where the focus rectangle goes: rect deflated by 4 (ultra-flat 3), or rect itself when
    /// that would leave nothing.
    virtual RECT ButtonFocusBounds(TcxCanvas& canvas, const RECT& rect) const;
    /// Frame widths of button index of count joined in a row.
    virtual TcxFrameWidths ButtonGroupFrameWidths(int count, int index) const;
    virtual int ButtonContentIndent() const noexcept;
    /// How far a pressed button's content moves right and down.
    virtual int ButtonPressedShift() const noexcept;
    /// The caption colour for state; requested (clDefault: the painter's choice) where the style
    /// lets the caller choose.
    virtual TColor ButtonCaptionColor(TcxButtonState state,
                                      TColor requested = framework::clDefault) const;
    /// Whether buttons show a hot state; defaultValue is the caller's own answer.
    virtual bool ButtonHotTracks(bool defaultValue) const noexcept;
    /// Whether a push button shows its hot state.
    virtual bool PushButtonHotTrack() const noexcept;
    /// A whole push button: frame (when drawFrame), face in faceColor, and the caption centred
    /// on one line in textColor (clDefault: the painter's colours).
    virtual void PaintButton(TcxCanvas& canvas, const RECT& rect, std::string_view caption,
                             TcxButtonState state, bool drawFrame = true,
                             TColor faceColor = framework::clDefault,
                             TColor textColor = framework::clDefault) const;
    virtual void PaintButtonFrame(TcxCanvas& canvas, const RECT& rect, TcxButtonState state) const;
    /// Whether a push button of this painter lets what lies behind it show through, so that the
    /// parent's image has to be drawn first; false for the painters that cover every pixel.
    virtual bool ButtonNeedsParentBackground() const;
    /// The face colour fill, then the frame.
    virtual void PaintButtonFace(TcxCanvas& canvas, const RECT& rect, TcxButtonState state) const;

    // --- Small values of parts this program does not place -----------------------------------

    /// The face colour of a check box: clWindow at rest and hot, clBtnFace pressed or disabled.
    TColor CheckButtonColor(TcxButtonState state) const noexcept;
    /// Whether an expand button is drawn before the content it belongs to.
    virtual bool DrawExpandButtonFirst() const noexcept;
    /// The side of a tree expand button (0: the style draws none).
    virtual int ExpandButtonSize() const noexcept;
    /// The side of a group row's expand button.
    int GroupExpandButtonSize() const noexcept { return 15; }
    /// Whether point lies in the expand button drawn at rect.
    bool IsPointOverExpandButton(POINT point, const RECT& rect) const noexcept;
    /// The width of a header's sorting-mark area.
    int SortingMarkAreaWidth() const noexcept { return 16; }

protected:
    TcxCustomLookAndFeelPainter() = default;
    ~TcxCustomLookAndFeelPainter() = default;

    /// The root PaintButton (frame and colours through the virtual operations).
    void PaintButtonClassic(TcxCanvas& canvas, const RECT& rect, std::string_view caption,
                            TcxButtonState state, bool drawFrame, TColor faceColor,
                            TColor textColor) const;
    /// The root ButtonFocusBounds with a given inset.
    static RECT InsetFocusBounds(const RECT& rect, int inset) noexcept;
    /// The root ButtonCaptionColor.
    static TColor ClassicCaptionColor(TcxButtonState state, TColor requested) noexcept;
};

class TcxStandardLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
public:
    static const TcxStandardLookAndFeelPainter& Instance() noexcept;
    PainterStyle Style() const noexcept override;

    TColor DefaultColor(TcxDefaultColor which) const override;
    int ControlBorderWidth() const override;
    void PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const override;
    int ButtonFrameWidth(TcxButtonState state) const override;
    int ButtonContentIndent() const noexcept override;
    int ButtonPressedShift() const noexcept override;
    bool PushButtonHotTrack() const noexcept override;
    void PaintButtonFrame(TcxCanvas& canvas, const RECT& rect, TcxButtonState state) const override;
    int ExpandButtonSize() const noexcept override;

protected:
    TcxStandardLookAndFeelPainter() = default;
    ~TcxStandardLookAndFeelPainter() = default;
};

/// The desktop's visual style. Every operation asks for the theme handle of its class when it is
/// called and, when there is none (or the theme cannot answer), does what the Standard painter
/// does, with a frame width of 2 for every state.
class TcxWinXPLookAndFeelPainter : public TcxStandardLookAndFeelPainter {
public:
    static const TcxWinXPLookAndFeelPainter& Instance() noexcept;
    PainterStyle Style() const noexcept override;

    TColor DefaultColor(TcxDefaultColor which) const override;
    void PaintArrowButton(TcxCanvas& canvas, const RECT& rect, TcxButtonState state,
                          ArrowDirection direction, bool asButton) const override;
    int ControlBorderWidth() const override;
    void PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const override;
    RECT AdjustButtonPaintBounds(const RECT& rect) const override;
    int ButtonFrameWidth(TcxButtonState state) const override;
    TColor ButtonFaceColor(TcxButtonState state) const override;
    RECT ButtonFocusBounds(TcxCanvas& canvas, const RECT& rect) const override;
    TcxFrameWidths ButtonGroupFrameWidths(int count, int index) const override;
    int ButtonContentIndent() const noexcept override;
    int ButtonPressedShift() const noexcept override;
    TColor ButtonCaptionColor(TcxButtonState state,
                              TColor requested = framework::clDefault) const override;
    bool PushButtonHotTrack() const noexcept override;
    void PaintButton(TcxCanvas& canvas, const RECT& rect, std::string_view caption,
                     TcxButtonState state, bool drawFrame = true,
                     TColor faceColor = framework::clDefault,
                     TColor textColor = framework::clDefault) const override;
    void PaintButtonFace(TcxCanvas& canvas, const RECT& rect, TcxButtonState state) const override;
    /// True while the "Button" theme's push button is partly transparent.
    bool ButtonNeedsParentBackground() const override;
    bool DrawExpandButtonFirst() const noexcept override;

    /// Text through the theme's text routine for a part and state (the text converted from the
    /// ANSI code page to UTF-16). False when the class has no theme or the theme refused, so that
    /// the caller can draw the text itself.
    virtual bool DrawThemedText(TcxCanvas& canvas, ThemedObjectType type, int part, int state,
                                std::string_view text, const RECT& rect, DWORD textFlags) const;

    /// The "Button" theme's state id of a button state.
    static int ButtonStateId(TcxButtonState state) noexcept;

protected:
    TcxWinXPLookAndFeelPainter() = default;
    ~TcxWinXPLookAndFeelPainter() = default;
};

class TcxFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
public:
    static const TcxFlatLookAndFeelPainter& Instance() noexcept;
    PainterStyle Style() const noexcept override;

    int ControlBorderWidth() const override;
    void PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const override;
    int ButtonFrameWidth(TcxButtonState state) const override;
    int ButtonContentIndent() const noexcept override;
    int ButtonPressedShift() const noexcept override;
    bool PushButtonHotTrack() const noexcept override;
    void PaintButtonFrame(TcxCanvas& canvas, const RECT& rect, TcxButtonState state) const override;
    int ExpandButtonSize() const noexcept override;

protected:
    TcxFlatLookAndFeelPainter() = default;
    ~TcxFlatLookAndFeelPainter() = default;
};

class TcxUltraFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
public:
    static const TcxUltraFlatLookAndFeelPainter& Instance() noexcept;
    PainterStyle Style() const noexcept override;

    TColor DefaultColor(TcxDefaultColor which) const override;
    int ControlBorderWidth() const override;
    void PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const override;
    int ButtonFrameWidth(TcxButtonState state) const override;
    TColor ButtonFaceColor(TcxButtonState state) const override;
    RECT ButtonFocusBounds(TcxCanvas& canvas, const RECT& rect) const override;
    TcxFrameWidths ButtonGroupFrameWidths(int count, int index) const override;
    int ButtonContentIndent() const noexcept override;
    int ButtonPressedShift() const noexcept override;
    TColor ButtonCaptionColor(TcxButtonState state,
                              TColor requested = framework::clDefault) const override;
    bool ButtonHotTracks(bool defaultValue) const noexcept override;
    bool PushButtonHotTrack() const noexcept override;
    void PaintButtonFrame(TcxCanvas& canvas, const RECT& rect, TcxButtonState state) const override;
    int ExpandButtonSize() const noexcept override;

    /// The border of a tool-like button: clBtnShadow at rest (cxbsNormal), clHighlight otherwise.
    virtual TColor ToolButtonBorderColor(TcxButtonState state) const;
    /// Separator lines: clBtnShadow.
    virtual TColor SeparatorColor() const;
    /// Glyphs and text of tool-like buttons: clBtnText.
    virtual TColor ToolButtonTextColor() const;
    /// The frame of a highlighted (hot or selected) item: clHighlight.
    virtual TColor HighlightBorderColor() const;

protected:
    TcxUltraFlatLookAndFeelPainter() = default;
    ~TcxUltraFlatLookAndFeelPainter() = default;
};

/// The ultra-flat look with the Office 11 palette (Office11Colors.h).
class TcxOffice11LookAndFeelPainter : public TcxUltraFlatLookAndFeelPainter {
public:
    static const TcxOffice11LookAndFeelPainter& Instance() noexcept;
    PainterStyle Style() const noexcept override;

    TColor DefaultColor(TcxDefaultColor which) const override;
    void PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const override;
    TColor ButtonFaceColor(TcxButtonState state) const override;
    TColor ButtonCaptionColor(TcxButtonState state,
                              TColor requested = framework::clDefault) const override;
    void PaintButtonFrame(TcxCanvas& canvas, const RECT& rect, TcxButtonState state) const override;
    bool DrawExpandButtonFirst() const noexcept override;
    TColor ToolButtonBorderColor(TcxButtonState state) const override;
    TColor HighlightBorderColor() const override;

    /// The dark end of the palette's gradient (entry 1).
    virtual TColor DarkGradientColor() const;
    /// The border of a band (entry 14).
    virtual TColor BandBorderColor() const;
    /// The background of a band (entry 15).
    virtual TColor BandBackgroundColor() const;
    /// The middle of the palette's gradient, computed on each call.
    virtual TColor MiddleGradientColor() const;

protected:
    TcxOffice11LookAndFeelPainter() = default;
    ~TcxOffice11LookAndFeelPainter() = default;
};

/// A painter class: the painter's only instance; never null where a painter is returned.
using TcxLookAndFeelPainterClass = const TcxCustomLookAndFeelPainter*;

/// Start-up and shut-down of the painters' module: the cache of the ultra-flat hot and pressed
/// face colours and the primary system-colour notifier that refreshes it. Before start-up (and
/// after shut-down) those colours are computed on each call. Called by the look-and-feel
/// module's own start-up and shut-down.
void InitializePainters();
void FinalizePainters() noexcept;

} // namespace lookandfeel

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
//   TcxLookAndFeelPainterClass   a painter "class": a pointer to the painter's only instance
//
// TODO: everything but the painter classes and their Style.
#pragma once

#include <cstdint>

namespace lookandfeel {

/// Stored by value in window definitions: names and order are fixed.
enum TcxLookAndFeelKind : std::uint8_t { lfFlat, lfStandard, lfUltraFlat, lfOffice11 };

enum TcxButtonState : std::uint8_t { cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled };

enum class PainterStyle : std::uint8_t { Flat, Standard, UltraFlat, Native, Office11 };

/// lfFlat, lfUltraFlat and lfOffice11 for their styles; lfStandard for every other style.
TcxLookAndFeelKind StyleToKind(PainterStyle style) noexcept;

enum class ArrowDirection : std::uint8_t { Up, Down, Left, Right };

/// The root painter. Painters hold no state; each class has exactly one instance, reached
/// through Instance(), and callers hold it as a TcxLookAndFeelPainterClass.
class TcxCustomLookAndFeelPainter {
public:
    TcxCustomLookAndFeelPainter(const TcxCustomLookAndFeelPainter&) = delete;
    TcxCustomLookAndFeelPainter& operator=(const TcxCustomLookAndFeelPainter&) = delete;

    static const TcxCustomLookAndFeelPainter& Instance() noexcept;

    virtual PainterStyle Style() const noexcept;

protected:
    TcxCustomLookAndFeelPainter() = default;
    ~TcxCustomLookAndFeelPainter() = default;
};

class TcxStandardLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
public:
    static const TcxStandardLookAndFeelPainter& Instance() noexcept;
    PainterStyle Style() const noexcept override;

protected:
    TcxStandardLookAndFeelPainter() = default;
    ~TcxStandardLookAndFeelPainter() = default;
};

class TcxWinXPLookAndFeelPainter : public TcxStandardLookAndFeelPainter {
public:
    static const TcxWinXPLookAndFeelPainter& Instance() noexcept;
    PainterStyle Style() const noexcept override;

protected:
    TcxWinXPLookAndFeelPainter() = default;
    ~TcxWinXPLookAndFeelPainter() = default;
};

class TcxFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
public:
    static const TcxFlatLookAndFeelPainter& Instance() noexcept;
    PainterStyle Style() const noexcept override;

protected:
    TcxFlatLookAndFeelPainter() = default;
    ~TcxFlatLookAndFeelPainter() = default;
};

class TcxUltraFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
public:
    static const TcxUltraFlatLookAndFeelPainter& Instance() noexcept;
    PainterStyle Style() const noexcept override;

protected:
    TcxUltraFlatLookAndFeelPainter() = default;
    ~TcxUltraFlatLookAndFeelPainter() = default;
};

class TcxOffice11LookAndFeelPainter : public TcxUltraFlatLookAndFeelPainter {
public:
    static const TcxOffice11LookAndFeelPainter& Instance() noexcept;
    PainterStyle Style() const noexcept override;

protected:
    TcxOffice11LookAndFeelPainter() = default;
    ~TcxOffice11LookAndFeelPainter() = default;
};

/// A painter class: the painter's only instance; never null where a painter is returned.
using TcxLookAndFeelPainterClass = const TcxCustomLookAndFeelPainter*;

/// Start-up and shut-down of the painters' module (their colour caches and the notifier that
/// refreshes them). Called by the look-and-feel module's own start-up and shut-down.
void InitializePainters();
void FinalizePainters() noexcept;

} // namespace lookandfeel

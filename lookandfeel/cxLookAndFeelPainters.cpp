#include "lookandfeel/cxLookAndFeelPainters.h"

namespace lookandfeel {

namespace {
// Each painter's only instance. The constructors are protected, so the instances are made
// through derived helpers that expose them.
template <class Painter> const Painter& Singleton() noexcept {
    struct Instance final : Painter {};
    static const Instance instance;
    return instance;
}
} // namespace

TcxLookAndFeelKind StyleToKind(PainterStyle style) noexcept {
    switch (style) {
    case PainterStyle::Flat: return lfFlat;
    case PainterStyle::UltraFlat: return lfUltraFlat;
    case PainterStyle::Office11: return lfOffice11;
    default: return lfStandard;
    }
}

const TcxCustomLookAndFeelPainter& TcxCustomLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxCustomLookAndFeelPainter>();
}
PainterStyle TcxCustomLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Standard;
}

const TcxStandardLookAndFeelPainter& TcxStandardLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxStandardLookAndFeelPainter>();
}
PainterStyle TcxStandardLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Standard;
}

const TcxWinXPLookAndFeelPainter& TcxWinXPLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxWinXPLookAndFeelPainter>();
}
PainterStyle TcxWinXPLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Native;
}

const TcxFlatLookAndFeelPainter& TcxFlatLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxFlatLookAndFeelPainter>();
}
PainterStyle TcxFlatLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Flat;
}

const TcxUltraFlatLookAndFeelPainter& TcxUltraFlatLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxUltraFlatLookAndFeelPainter>();
}
PainterStyle TcxUltraFlatLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::UltraFlat;
}

const TcxOffice11LookAndFeelPainter& TcxOffice11LookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxOffice11LookAndFeelPainter>();
}
PainterStyle TcxOffice11LookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Office11;
}

void InitializePainters() {}
void FinalizePainters() noexcept {}

} // namespace lookandfeel

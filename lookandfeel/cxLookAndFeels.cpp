#include "lookandfeel/cxLookAndFeels.h"

#include "framework/Controls.h"
#include "framework/ExceptionReport.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace lookandfeel {

// --- Module state -------------------------------------------------------------------------------

namespace {

TcxLookAndFeel* applicationLookAndFeel = nullptr;
// Controllers registered with the application look-and-feel.
int controllerCount = 0;

bool IsController(LookAndFeelChangeListener* l) noexcept {
    return dynamic_cast<TcxLookAndFeelController*>(l->GetListenerObject()) != nullptr;
}

} // namespace

TcxLookAndFeel* ApplicationLookAndFeel() noexcept {
    return applicationLookAndFeel;
}

// --- TcxLookAndFeel -----------------------------------------------------------------------------

// Marks the notifications running on an object, so that one whose listener destroyed the object
// stops without touching it again. Watches of nested notifications form a chain.
class TcxLookAndFeel::DestructionWatch {
public:
    explicit DestructionWatch(TcxLookAndFeel& object) noexcept
        : object_(object), previous_(object.watches_) {
        object.watches_ = this;
    }
    ~DestructionWatch() {
        if (!destroyed_)
            object_.watches_ = previous_;
    }
    DestructionWatch(const DestructionWatch&) = delete;
    DestructionWatch& operator=(const DestructionWatch&) = delete;

    bool Destroyed() const noexcept { return destroyed_; }
    static void MarkAll(DestructionWatch* watch) noexcept {
        for (; watch; watch = watch->previous_)
            watch->destroyed_ = true;
    }

private:
    TcxLookAndFeel& object_;
    DestructionWatch* previous_;
    bool destroyed_ = false;
};

TcxLookAndFeel::TcxLookAndFeel(framework::TPersistent* owner) : TcxInterfacedPersistent(owner) {
    colorNotifier_ = std::make_unique<TcxSystemPaletteChangedNotifier>(false);
    colorNotifier_->OnColorsChanged = [this] { SystemColorsChanged(); };
    if (TcxLookAndFeel* application = ApplicationLookAndFeel()) {
        application->RegisterListener(this);
        current_ = {EffectiveKind(), EffectiveNativeStyle()};
    }
}

TcxLookAndFeel::~TcxLookAndFeel() {
    DestructionWatch::MarkAll(watches_);
    colorNotifier_.reset();
    destroying_ = true;
    const size_t count = listeners_.size();
    for (size_t i = 0; i < count; ++i) {
        // A follower's handler may throw; a destructor must not.
        if (LookAndFeelChangeListener* listener = listeners_[i]) {
            try {
                listener->MasterDestroying(*this);
            } catch (...) {
                framework::HandleException();
            }
        }
    }
    destroying_ = false;
    listeners_.clear();
    if (TcxLookAndFeel* master = EffectiveMaster())
        master->UnregisterListener(this);
    if (isApplication_) {
        applicationLookAndFeel = nullptr;
        controllerCount = 0; // the controllers were registered with this object only
        isApplication_ = false;
    }
}

void TcxLookAndFeel::Assign(const framework::TPersistent& source) {
    const auto* other = dynamic_cast<const TcxLookAndFeel*>(&source);
    if (!other) {
        TcxInterfacedPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    RememberValues();
    stored_ = other->stored_;
    assigned_ = other->assigned_;
    SetMaster(other->EffectiveMaster());
    NotifyIfValuesChanged();
}

void TcxLookAndFeel::SetKind(TcxLookAndFeelKind v) {
    const TcxLookAndFeelKind old = current_.kind;
    assigned_.Include(lfvKind);
    stored_.kind = v;
    if (old != EffectiveKind())
        NotifyChanged({lfvKind});
}

void TcxLookAndFeel::SetNativeStyle(bool v) {
    const bool old = current_.nativeStyle;
    assigned_.Include(lfvNativeStyle);
    stored_.nativeStyle = v;
    if (old != EffectiveNativeStyle())
        NotifyChanged({lfvNativeStyle});
}

void TcxLookAndFeel::SetAssignedValues(TcxLookAndFeelValues v) {
    if (v == assigned_)
        return;
    RememberValues();
    assigned_ = v;
    NotifyIfValuesChanged();
}

void TcxLookAndFeel::SetMaster(TcxLookAndFeel* m) {
    if (isApplication_ || m == this || m == master_ || m == EffectiveMaster())
        return;
    // A master being destroyed could not tell this object of its end; one that follows this
    // object would make every notification run in a circle.
    if (m && (m->destroying_ || m->Follows(this)))
        return;
    RememberValues();
    if (TcxLookAndFeel* old = EffectiveMaster())
        old->UnregisterListener(this);
    master_ = m;
    if (TcxLookAndFeel* now = EffectiveMaster())
        now->RegisterListener(this);
    NotifyIfValuesChanged();
}

TcxLookAndFeel* TcxLookAndFeel::EffectiveMaster() const noexcept {
    if (isApplication_)
        return nullptr;
    return master_ ? master_ : ApplicationLookAndFeel();
}

bool TcxLookAndFeel::Follows(const TcxLookAndFeel* other) const noexcept {
    for (const TcxLookAndFeel* m = EffectiveMaster(); m; m = m->EffectiveMaster())
        if (m == other)
            return true;
    return false;
}

TcxLookAndFeelKind TcxLookAndFeel::EffectiveKind() const {
    if (assigned_.Contains(lfvKind))
        return stored_.kind;
    const TcxLookAndFeel* master = EffectiveMaster();
    return master ? master->Kind() : cxDefaultLookAndFeelKind;
}

bool TcxLookAndFeel::EffectiveNativeStyle() const {
    if (assigned_.Contains(lfvNativeStyle))
        return stored_.nativeStyle;
    const TcxLookAndFeel* master = EffectiveMaster();
    return master ? master->NativeStyle() : cxDefaultLookAndFeelNativeStyle;
}

void TcxLookAndFeel::SystemColorsChanged() {
    NotifyChanged({lfvNativeStyle});
}

void TcxLookAndFeel::NotifyIfValuesChanged() {
    const Values now{EffectiveKind(), EffectiveNativeStyle()};
    TcxLookAndFeelValues changed;
    if (now.kind != remembered_.kind)
        changed.Include(lfvKind);
    if (now.nativeStyle != remembered_.nativeStyle)
        changed.Include(lfvNativeStyle);
    // What is told now is not told again by a later check against the same snapshot (Assign
    // checks after SetMaster has checked).
    remembered_ = now;
    NotifyChanged(changed);
}

void TcxLookAndFeel::NotifyChanged(TcxLookAndFeelValues changed) {
    if (changed.Empty() || destroying_)
        return;
    current_ = {EffectiveKind(), EffectiveNativeStyle()};
    DestructionWatch watch(*this);
    // Not over a copy: a listener that leaves during its call (itself or another) changes the
    // count, and the position is then visited again, so that the one moved into it is not
    // skipped.
    size_t i = 0;
    while (i < listeners_.size()) {
        const size_t n = listeners_.size();
        listeners_[i]->MasterChanged(*this, changed);
        if (watch.Destroyed())
            return;
        if (listeners_.size() == n)
            ++i;
    }
    if (OnLookAndFeelChanged) {
        // Through a copy: the handler may destroy this object.
        const ChangedEvent handler = OnLookAndFeelChanged;
        handler(*this, changed);
    }
}

void TcxLookAndFeel::MasterChanged(TcxLookAndFeel&, TcxLookAndFeelValues changed) {
    NotifyChanged(changed - assigned_);
}

void TcxLookAndFeel::MasterDestroying(TcxLookAndFeel&) {
    SetMaster(nullptr);
}

void TcxLookAndFeel::RegisterListener(LookAndFeelChangeListener* l) {
    if (!l || destroying_)
        return;
    const bool controller = IsController(l);
    if (controller && !isApplication_)
        return;
    if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end())
        return;
    listeners_.push_back(l);
    if (controller)
        ++controllerCount;
}

void TcxLookAndFeel::UnregisterListener(LookAndFeelChangeListener* l) {
    if (!l)
        return;
    const auto it = std::find(listeners_.begin(), listeners_.end(), l);
    if (it == listeners_.end())
        return;
    if (destroying_)
        *it = nullptr;
    else
        listeners_.erase(it);
    if (isApplication_ && IsController(l) && --controllerCount == 0)
        SetAssignedValues({});
}

TcxLookAndFeelPainterClass TcxLookAndFeel::PainterOfKind() const noexcept {
    switch (Kind()) {
    case lfFlat: return &TcxFlatLookAndFeelPainter::Instance();
    case lfStandard: return &TcxStandardLookAndFeelPainter::Instance();
    case lfOffice11: return &TcxOffice11LookAndFeelPainter::Instance();
    case lfUltraFlat:
    default: return &TcxUltraFlatLookAndFeelPainter::Instance();
    }
}

TcxLookAndFeelPainterClass TcxLookAndFeel::GetPainterClass() const {
    if (NativeStyle() && ThemesAvailable({}))
        return &TcxWinXPLookAndFeelPainter::Instance();
    return PainterOfKind();
}

TcxLookAndFeelPainterClass
TcxLookAndFeel::GetPainterClassForThemedObject(ThemedObjectType type) const {
    if (NativeStyle() && ThemeAvailable(type))
        return &TcxWinXPLookAndFeelPainter::Instance();
    return PainterOfKind();
}

TcxLookAndFeelPainterClass TcxLookAndFeel::GetPushButtonPainterClass() const {
    const TcxLookAndFeelPainterClass painter = GetPainterClass();
    if (painter->Style() != PainterStyle::Office11)
        return painter;
    if (ThemeAvailable(ThemedObjectType::Button))
        return &TcxWinXPLookAndFeelPainter::Instance();
    return &TcxStandardLookAndFeelPainter::Instance();
}

// --- TcxLookAndFeelController -------------------------------------------------------------------

TcxLookAndFeelController::TcxLookAndFeelController() {
    if (TcxLookAndFeel* application = ApplicationLookAndFeel())
        application->RegisterListener(this);
}

TcxLookAndFeelController::~TcxLookAndFeelController() {
    if (TcxLookAndFeel* application = ApplicationLookAndFeel()) {
        // Falling back to the defaults tells the followers, whose handlers may throw.
        try {
            application->UnregisterListener(this);
        } catch (...) {
            framework::HandleException();
        }
    }
}

TcxLookAndFeelKind TcxLookAndFeelController::Kind() const noexcept {
    const TcxLookAndFeel* application = ApplicationLookAndFeel();
    return application ? application->Kind() : cxDefaultLookAndFeelKind;
}

bool TcxLookAndFeelController::NativeStyle() const noexcept {
    const TcxLookAndFeel* application = ApplicationLookAndFeel();
    return application ? application->NativeStyle() : cxDefaultLookAndFeelNativeStyle;
}

void TcxLookAndFeelController::SetKind(TcxLookAndFeelKind v) {
    if (TcxLookAndFeel* application = ApplicationLookAndFeel())
        application->SetKind(v);
}

void TcxLookAndFeelController::SetNativeStyle(bool v) {
    if (TcxLookAndFeel* application = ApplicationLookAndFeel())
        application->SetNativeStyle(v);
}

// --- Module start-up and shut-down --------------------------------------------------------------

void InitializeLookAndFeel() {
    FinalizeLookAndFeel();
    // Made while the module reference is still empty, so that it registers with nothing and
    // keeps the defaults.
    auto application = std::make_unique<TcxLookAndFeel>(nullptr);
    application->isApplication_ = true;
    applicationLookAndFeel = application.release();
    try {
        InitializePainters();
    } catch (...) {
        delete applicationLookAndFeel;
        throw;
    }
}

void FinalizeLookAndFeel() noexcept {
    FinalizePainters();
    // The destructor clears the module reference.
    delete applicationLookAndFeel;
}

// --- Window definitions -------------------------------------------------------------------------

namespace {

// In the order of TcxLookAndFeelKind.
constexpr std::array<const char*, 4> kKindNames = {"lfFlat", "lfStandard", "lfUltraFlat",
                                                   "lfOffice11"};

bool IsProperty(const framework::DefinitionProperty& property, std::string_view prefix,
                std::string_view name) {
    return property.name.size() == prefix.size() + name.size() &&
           property.name.compare(0, prefix.size(), prefix) == 0 &&
           property.name.compare(prefix.size(), name.size(), name) == 0;
}

} // namespace

bool ReadLookAndFeelProperty(TcxLookAndFeel& lookAndFeel,
                             const framework::DefinitionProperty& property,
                             std::string_view prefix) {
    if (IsProperty(property, prefix, "Kind")) {
        property.ExpectCount(1);
        const std::string& name = property.Identifier();
        for (size_t i = 0; i < kKindNames.size(); ++i) {
            if (name == kKindNames[i]) {
                lookAndFeel.SetKind(static_cast<TcxLookAndFeelKind>(i));
                return true;
            }
        }
        property.Fail("unknown kind " + name);
    }
    if (IsProperty(property, prefix, "NativeStyle")) {
        // The framework's own boolean spelling, as every other stored switch.
        lookAndFeel.SetNativeStyle(framework::ParseBoolean(property));
        return true;
    }
    return false;
}

std::string WriteLookAndFeelProperties(const TcxLookAndFeel& lookAndFeel, std::string_view prefix,
                                       std::string_view indent) {
    std::string text;
    const auto line = [&](std::string_view name, std::string_view value) {
        text.append(indent).append(prefix).append(name).append(": ").append(value) += '\n';
    };
    // The stored values are the effective ones for every assigned setting.
    if (lookAndFeel.AssignedValues().Contains(lfvKind))
        line("Kind", kKindNames.at(lookAndFeel.Kind()));
    if (lookAndFeel.AssignedValues().Contains(lfvNativeStyle))
        line("NativeStyle", lookAndFeel.NativeStyle() ? "true" : "false");
    return text;
}

} // namespace lookandfeel

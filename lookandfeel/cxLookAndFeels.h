// cxLookAndFeels.h - look-and-feel settings and the system colour-change broadcast.
//
// Classes and functions in this file:
//   TcxLookAndFeelValue, TcxLookAndFeelValues   the two settings and sets of them
//   TcxInterfacedPersistent           a persistent that remembers the persistent owning it
//   LookAndFeelChangeListener         what follows a look-and-feel (look-and-feels, controllers)
//   TcxLookAndFeel                    a control's drawing style: its own values or its master's
//   TcxLookAndFeelController          a component that sets the application's look-and-feel
//   ApplicationLookAndFeel            the look-and-feel every chain ends at
//   InitializeLookAndFeel / FinalizeLookAndFeel   module start-up and shut-down
//   ReadLookAndFeelProperty / WriteLookAndFeelProperties   the settings in window definitions
//
// The system colour-change broadcast (TcxSystemPaletteChangedNotifier) is in cxSystemPalette.h.
//
// Everything here runs on the GUI thread only.
#pragma once

#include "framework/Controls.h"
#include "framework/EnumSet.h"
#include "framework/Persistent.h"
#include "framework/WindowDefinition.h"
#include "lookandfeel/ThemeManager.h"
#include "lookandfeel/cxLookAndFeelPainters.h"
#include "lookandfeel/cxSystemPalette.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lookandfeel {

class TcxLookAndFeel;

/// The settings of a look-and-feel. Stored by value: names and order are fixed.
enum TcxLookAndFeelValue : std::uint8_t { lfvKind, lfvNativeStyle };

/// A set of TcxLookAndFeelValue in one byte: bit 0 lfvKind, bit 1 lfvNativeStyle.
using TcxLookAndFeelValues = framework::EnumSet<TcxLookAndFeelValue, 2, std::uint8_t>;

/// The values a look-and-feel has when nothing is assigned anywhere.
inline constexpr TcxLookAndFeelKind cxDefaultLookAndFeelKind = lfUltraFlat;
inline constexpr bool cxDefaultLookAndFeelNativeStyle = false;

/// A persistent that remembers the persistent owning it (a control for its look-and-feel); the
/// owner is not owned back and may be null.
class TcxInterfacedPersistent : public framework::TPersistent {
public:
    explicit TcxInterfacedPersistent(framework::TPersistent* owner) noexcept : owner_(owner) {}

    framework::TPersistent* Owner() const noexcept { return owner_; }

private:
    framework::TPersistent* owner_;
};

/// What follows a look-and-feel: registered with it through RegisterListener and told of its
/// changes and of its end. The registration never owns the listener.
class LookAndFeelChangeListener {
public:
    /// The object that implements the listener.
    virtual framework::TObject* GetListenerObject() noexcept = 0;
    /// The effective values named in changed of sender, which this listener follows, changed.
    virtual void MasterChanged(TcxLookAndFeel& sender, TcxLookAndFeelValues changed) = 0;
    /// sender, which this listener follows, is being destroyed.
    virtual void MasterDestroying(TcxLookAndFeel& sender) = 0;

protected:
    ~LookAndFeelChangeListener() = default;
};

/// How a control is drawn: a style (Kind) and whether the desktop's visual style is used when one
/// is active (NativeStyle). Each setting is either assigned on the object (AssignedValues) or
/// inherited from its master: Master when set, else ApplicationLookAndFeel(). Kind() and
/// NativeStyle() return the effective values, cached and pushed down the chain whenever they
/// change; every change is told to the followers (registration order) and then to
/// OnLookAndFeelChanged.
///
/// Objects may be destroyed in any order: a destroyed master's followers follow the application
/// look-and-feel from then on, and a follower leaves its master's list. A listener or handler may
/// destroy the object that is telling it. A master that would make a chain run in a circle is
/// refused like the object itself.
class TcxLookAndFeel : public TcxInterfacedPersistent, public LookAndFeelChangeListener {
public:
    using ChangedEvent = std::function<void(TcxLookAndFeel& sender, TcxLookAndFeelValues changed)>;

    explicit TcxLookAndFeel(framework::TPersistent* owner = nullptr);
    ~TcxLookAndFeel() override;

    /// From another look-and-feel: its assigned and stored values and its effective master, each
    /// change told once. Any other source: EConvertError "Cannot assign a <source> to a <this>".
    void Assign(const framework::TPersistent& source) override;

    TcxLookAndFeelKind Kind() const noexcept { return current_.kind; }
    /// Assigns lfvKind even when v is the present value; tells only a change of the effective one.
    void SetKind(TcxLookAndFeelKind v);
    bool NativeStyle() const noexcept { return current_.nativeStyle; }
    void SetNativeStyle(bool v);
    TcxLookAndFeelValues AssignedValues() const noexcept { return assigned_; }
    /// Values taken out are inherited again; the effective changes are told.
    void SetAssignedValues(TcxLookAndFeelValues v);
    /// The object followed; null means ApplicationLookAndFeel().
    TcxLookAndFeel* Master() const noexcept { return master_; }
    /// Moves the registration to the new effective master and tells the effective changes. Does
    /// nothing on the application look-and-feel, for this object, for the present Master or
    /// effective master, for a master that follows this object, and for a master being destroyed.
    void SetMaster(TcxLookAndFeel* m);
    bool IsApplicationLookAndFeel() const noexcept { return isApplication_; }

    /// The painter to draw with, chosen at each call: the themed painter when NativeStyle is on
    /// and a visual style is active, else the painter of Kind.
    TcxLookAndFeelPainterClass GetPainterClass() const;
    /// The same, asking whether the theme class of type opens instead.
    TcxLookAndFeelPainterClass GetPainterClassForThemedObject(ThemedObjectType type) const;
    /// The painter of a push button: GetPainterClass, where a painter of the Office 11 style
    /// gives way to the themed painter when the "Button" theme opens and to the standard one
    /// otherwise (the Office 11 look has no push button of its own).
    TcxLookAndFeelPainterClass GetPushButtonPainterClass() const;

    /// Appends l unless it is null or already there; a controller is taken only by the
    /// application look-and-feel. Nothing registers with an object being destroyed.
    void RegisterListener(LookAndFeelChangeListener* l);
    /// Removes l; the last controller leaving the application look-and-feel makes it fall back
    /// to the defaults.
    void UnregisterListener(LookAndFeelChangeListener* l);

    /// Called after the followers with the effective values that changed.
    ChangedEvent OnLookAndFeelChanged;

    // LookAndFeelChangeListener
    framework::TObject* GetListenerObject() noexcept override { return this; }
    void MasterChanged(TcxLookAndFeel& sender, TcxLookAndFeelValues changed) override;
    void MasterDestroying(TcxLookAndFeel& sender) override;

    /// The value a setting has: the stored one when assigned, else the master's current one (the
    /// defaults for the application look-and-feel and when there is no master at all).
    virtual TcxLookAndFeelKind EffectiveKind() const;
    virtual bool EffectiveNativeStyle() const;
    /// Tells every follower and OnLookAndFeelChanged of lfvNativeStyle, so that controls repaint
    /// with the painter chosen anew after the system colours changed.
    virtual void SystemColorsChanged();

protected:
    /// Updates the cached values and tells the followers and OnLookAndFeelChanged; nothing when
    /// changed is empty or the object is being destroyed.
    void NotifyChanged(TcxLookAndFeelValues changed);
    /// Tells the effective values that differ from the remembered ones.
    void NotifyIfValuesChanged();
    void RememberValues() noexcept { remembered_ = current_; }

private:
    struct Values {
        TcxLookAndFeelKind kind = cxDefaultLookAndFeelKind;
        bool nativeStyle = cxDefaultLookAndFeelNativeStyle;
    };
    class DestructionWatch;

    TcxLookAndFeel* EffectiveMaster() const noexcept;
    bool Follows(const TcxLookAndFeel* other) const noexcept;
    TcxLookAndFeelPainterClass PainterOfKind() const noexcept;

    TcxLookAndFeelValues assigned_;
    // Not owned. While the object is being destroyed a listener that leaves is set to null
    // instead of removed, so that the running MasterDestroying loop keeps its positions.
    std::vector<LookAndFeelChangeListener*> listeners_;
    Values current_;
    Values stored_;
    bool destroying_ = false;
    bool isApplication_ = false;
    TcxLookAndFeel* master_ = nullptr;
    Values remembered_;
    std::unique_ptr<TcxSystemPaletteChangedNotifier> colorNotifier_;
    DestructionWatch* watches_ = nullptr;

    friend void InitializeLookAndFeel();
};

/// A component that sets the application look-and-feel: while at least one controller exists
/// its Kind and NativeStyle are those of ApplicationLookAndFeel(); when the last one goes the
/// application look-and-feel returns to the defaults. It holds nothing of its own.
class TcxLookAndFeelController : public framework::TComponent, public LookAndFeelChangeListener {
public:
    TcxLookAndFeelController();
    ~TcxLookAndFeelController() override;

    /// The application look-and-feel's values; the defaults when there is none.
    TcxLookAndFeelKind Kind() const noexcept;
    bool NativeStyle() const noexcept;
    /// Set on the application look-and-feel; ignored when there is none.
    void SetKind(TcxLookAndFeelKind v);
    void SetNativeStyle(bool v);

    // LookAndFeelChangeListener: nothing to do at run time.
    framework::TObject* GetListenerObject() noexcept override { return this; }
    void MasterChanged(TcxLookAndFeel&, TcxLookAndFeelValues) override {}
    void MasterDestroying(TcxLookAndFeel&) override {}
};

/// The look-and-feel every chain ends at; null before start-up and after shut-down.
TcxLookAndFeel* ApplicationLookAndFeel() noexcept;

/// Creates the application look-and-feel (with the defaults) and starts the painters. The theme
/// services must run already. Calling it again first shuts the module down.
void InitializeLookAndFeel();
/// Stops the painters and destroys the application look-and-feel, whose followers are told.
/// Safe to call when not initialised.
void FinalizeLookAndFeel() noexcept;

/// Applies a stored "Kind" (lfFlat, lfStandard, lfUltraFlat, lfOffice11) or "NativeStyle"
/// (True, False) property, its name preceded by prefix, onto lookAndFeel; reading a value assigns
/// it. Returns false for a property of another name. A value of another kind or count is an
/// EDefinitionError naming the property's line.
bool ReadLookAndFeelProperty(TcxLookAndFeel& lookAndFeel,
                             const framework::DefinitionProperty& property,
                             std::string_view prefix = {});
/// The assigned settings of lookAndFeel as definition lines ("<indent><prefix>Kind: lfFlat"), in
/// the order Kind, NativeStyle; the others and AssignedValues itself are not written.
std::string WriteLookAndFeelProperties(const TcxLookAndFeel& lookAndFeel,
                                       std::string_view prefix = {}, std::string_view indent = {});

} // namespace lookandfeel

// cxLookAndFeelsTests.cpp - look-and-feel settings: inheritance down master chains and what each
// change tells, the listener list under registration changes during a notification, destruction
// in any order, controllers, painter selection across real visual style switches, a real system
// colour change, Assign, and the settings in window definitions.
// test-lock: theme
// test-lock: syscolors
#include "framework/Exceptions.h"
#include "framework/WindowDefinition.h"
#include "lookandfeel/Office11Colors.h"
#include "lookandfeel/cxLookAndFeels.h"
#include "tests/support/ThemeServicesScope.h"
#include "tests/support/VisualStyle.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace lookandfeel {
// Readable sets in failure messages.
void PrintTo(TcxLookAndFeelValues values, std::ostream* out) {
    *out << "{" << (values.Contains(lfvKind) ? "lfvKind" : "")
         << (values.Contains(lfvKind) && values.Contains(lfvNativeStyle) ? ", " : "")
         << (values.Contains(lfvNativeStyle) ? "lfvNativeStyle" : "") << "}";
}
} // namespace lookandfeel

namespace {

using namespace lookandfeel;
using Log = std::vector<std::string>;

// The stored form depends on the bit layout.
static_assert(sizeof(TcxLookAndFeelValues) == 1);
static_assert(TcxLookAndFeelValues{lfvKind}.ToBits() == 1);
static_assert(TcxLookAndFeelValues{lfvNativeStyle}.ToBits() == 2);
static_assert((TcxLookAndFeelValues{lfvKind, lfvNativeStyle} - TcxLookAndFeelValues{lfvKind}) ==
              TcxLookAndFeelValues{lfvNativeStyle});

std::string Describe(TcxLookAndFeelValues values) {
    return std::string(values.Contains(lfvKind) ? "K" : "") +
           (values.Contains(lfvNativeStyle) ? "N" : "");
}

/// Records every OnLookAndFeelChanged of the object as "<name> <K|N|KN>".
void Watch(TcxLookAndFeel& object, const std::string& name, Log& log) {
    object.OnLookAndFeelChanged = [name, &log](TcxLookAndFeel&, TcxLookAndFeelValues changed) {
        log.push_back(name + " " + Describe(changed));
    };
}

std::unique_ptr<TcxLookAndFeel> Follower(TcxLookAndFeel* master) {
    auto object = std::make_unique<TcxLookAndFeel>();
    object->SetMaster(master);
    return object;
}

/// A listener of its own kind: records its calls by name and runs an action on its first call.
class RecordingListener : public framework::TObject, public LookAndFeelChangeListener {
public:
    RecordingListener(std::string name, Log& log) : name_(std::move(name)), log_(log) {}

    framework::TObject* GetListenerObject() noexcept override { return this; }
    void MasterChanged(TcxLookAndFeel&, TcxLookAndFeelValues) override {
        log_.push_back(name_);
        if (auto action = std::exchange(onFirstCall, {}))
            action();
    }
    void MasterDestroying(TcxLookAndFeel&) override { log_.push_back(name_ + " destroying"); }

    std::function<void()> onFirstCall;

private:
    std::string name_;
    Log& log_;
};

/// The theme services and the look-and-feel module run for each test.
class LookAndFeel : public ::testing::Test {
protected:
    void SetUp() override { InitializeLookAndFeel(); }
    void TearDown() override { FinalizeLookAndFeel(); }
    static TcxLookAndFeel& App() { return *ApplicationLookAndFeel(); }

    testsupport::ScopedThemeServices themes_;
    Log log_;
};

// --- Values and inheritance ---------------------------------------------------------------------

TEST_F(LookAndFeel, StartsWithTheDefaultsAndFollowsTheApplicationLookAndFeel) {
    ASSERT_NE(ApplicationLookAndFeel(), nullptr);
    EXPECT_TRUE(App().IsApplicationLookAndFeel());
    TcxLookAndFeel object;
    EXPECT_EQ(object.Kind(), lfUltraFlat);
    EXPECT_FALSE(object.NativeStyle());
    EXPECT_TRUE(object.AssignedValues().Empty());
    EXPECT_EQ(object.Master(), nullptr);
    Watch(object, "F", log_);
    App().SetKind(lfOffice11);
    EXPECT_EQ(object.Kind(), lfOffice11);
    EXPECT_EQ(log_, Log{"F K"});
}

TEST_F(LookAndFeel, SettingThePresentValueAssignsItSilentlyAndStopsInheritingIt) {
    struct Case {
        const char* name;
        std::function<void(TcxLookAndFeel&)> set;
        TcxLookAndFeelValue assigned;
        const char* told; // what a later change of both master values still tells
    };
    const Case cases[] = {
        {"Kind", [](TcxLookAndFeel& o) { o.SetKind(o.Kind()); }, lfvKind, "F N"},
        {"NativeStyle", [](TcxLookAndFeel& o) { o.SetNativeStyle(o.NativeStyle()); },
         lfvNativeStyle, "F K"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InitializeLookAndFeel();
        log_.clear();
        TcxLookAndFeel follower;
        Watch(follower, "F", log_);
        c.set(follower);
        EXPECT_EQ(log_, Log{});
        EXPECT_EQ(follower.AssignedValues(), TcxLookAndFeelValues{c.assigned});
        App().SetKind(lfFlat);
        App().SetNativeStyle(true);
        EXPECT_EQ(log_, Log{c.told});
        EXPECT_EQ(follower.Kind(), c.assigned == lfvKind ? lfUltraFlat : lfFlat);
        EXPECT_EQ(follower.NativeStyle(), c.assigned != lfvNativeStyle);
    }
}

TEST_F(LookAndFeel, MasterChangeReachesFollowersWithoutTheirAssignedSettings) {
    TcxLookAndFeel master;
    master.SetKind(lfFlat);
    master.SetNativeStyle(true);
    master.SetAssignedValues({}); // stored, but inherited for now
    auto inherits = Follower(&master);
    auto ownKind = Follower(&master);
    ownKind->SetKind(lfStandard);
    auto ownBoth = Follower(&master);
    ownBoth->SetKind(lfOffice11);
    ownBoth->SetNativeStyle(false);
    auto belowOwnBoth = Follower(ownBoth.get());
    RecordingListener belowListener("listener of the one with both", log_);
    ownBoth->RegisterListener(&belowListener);
    Watch(master, "M", log_);
    Watch(*inherits, "F1", log_);
    Watch(*ownKind, "F2", log_);
    Watch(*ownBoth, "F3", log_);
    Watch(*belowOwnBoth, "G", log_);

    master.SetAssignedValues({lfvKind, lfvNativeStyle});

    // Followers first, in registration order, then the object's own event; the follower that
    // has nothing left tells nobody.
    EXPECT_EQ(log_, (Log{"F1 KN", "F2 N", "M KN"}));
    EXPECT_EQ(inherits->Kind(), lfFlat);
    EXPECT_TRUE(inherits->NativeStyle());
    EXPECT_EQ(ownKind->Kind(), lfStandard);
    EXPECT_TRUE(ownKind->NativeStyle());
    EXPECT_EQ(belowOwnBoth->Kind(), lfOffice11);
    EXPECT_FALSE(belowOwnBoth->NativeStyle());
    ownBoth->UnregisterListener(&belowListener);
}

TEST_F(LookAndFeel, ChangingAssignedValuesTellsExactlyTheSettingsThatChange) {
    struct Case {
        TcxLookAndFeelKind kind;
        bool nativeStyle;
        TcxLookAndFeelValues from, to;
        const char* told; // "" for nothing
    };
    const TcxLookAndFeelValues both{lfvKind, lfvNativeStyle};
    const Case cases[] = {
        {lfFlat, true, both, {}, "N"},
        {lfStandard, false, both, {}, "K"},
        {lfStandard, true, both, {}, "KN"},
        {lfFlat, false, both, {}, ""},
        {lfStandard, true, both, {lfvKind}, "N"},
        {lfStandard, true, {lfvKind}, both, "N"},
        {lfStandard, true, {}, both, "KN"},
    };
    TcxLookAndFeel master;
    master.SetKind(lfFlat);
    master.SetNativeStyle(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << c.nativeStyle << " "
                                        << Describe(c.from) << " -> " << Describe(c.to));
        auto follower = Follower(&master);
        follower->SetKind(c.kind);
        follower->SetNativeStyle(c.nativeStyle);
        follower->SetAssignedValues(c.from);
        auto below = Follower(follower.get());
        log_.clear();
        Watch(*follower, "F", log_);
        Watch(*below, "G", log_);
        follower->SetAssignedValues(c.to);
        const std::string told = c.told;
        EXPECT_EQ(log_, told.empty() ? Log{} : (Log{"G " + told, "F " + told}));
        EXPECT_EQ(follower->Kind(), c.to.Contains(lfvKind) ? c.kind : lfFlat);
        EXPECT_EQ(follower->NativeStyle(), c.to.Contains(lfvNativeStyle) && c.nativeStyle);
        EXPECT_EQ(below->Kind(), follower->Kind());
    }
}

// --- Masters ------------------------------------------------------------------------------------

TEST_F(LookAndFeel, MasterSettingsThatChangeNothingAreIgnored) {
    TcxLookAndFeel master;
    auto follower = Follower(nullptr);
    auto ofMaster = Follower(&master);
    Watch(*follower, "F", log_);
    Watch(*ofMaster, "G", log_);
    Watch(master, "M", log_);

    follower->SetMaster(&App()); // already its effective master
    follower->SetMaster(follower.get());
    ofMaster->SetMaster(&master);
    App().SetMaster(&master);
    master.SetMaster(ofMaster.get()); // would make a circle
    EXPECT_EQ(follower->Master(), nullptr);
    EXPECT_EQ(ofMaster->Master(), &master);
    EXPECT_EQ(App().Master(), nullptr);
    EXPECT_EQ(master.Master(), nullptr);
    EXPECT_EQ(log_, Log{});

    // Each is still registered exactly once, and nothing runs in a circle.
    App().SetKind(lfFlat);
    EXPECT_EQ(log_, (Log{"G K", "M K", "F K"}));
    log_.clear();
    master.SetNativeStyle(true);
    EXPECT_EQ(log_, (Log{"G N", "M N"}));
}

TEST_F(LookAndFeel, NewMasterTakesTheRegistrationAndTellsTheDifference) {
    TcxLookAndFeel first, second;
    second.SetKind(lfOffice11);
    auto follower = Follower(&first);
    Watch(*follower, "F", log_);

    follower->SetMaster(&second);
    EXPECT_EQ(log_, Log{"F K"});
    EXPECT_EQ(follower->Kind(), lfOffice11);
    first.SetKind(lfStandard);
    second.SetNativeStyle(true);
    EXPECT_EQ(log_, (Log{"F K", "F N"}));

    follower->SetMaster(nullptr);
    EXPECT_EQ(log_, (Log{"F K", "F N", "F KN"}));
    EXPECT_EQ(follower->Kind(), lfUltraFlat);
    EXPECT_FALSE(follower->NativeStyle());
}

TEST_F(LookAndFeel, DestroyedMasterLeavesItsFollowersWithTheApplicationLookAndFeel) {
    auto master = std::make_unique<TcxLookAndFeel>();
    master->SetKind(lfFlat);
    master->SetNativeStyle(true);
    auto inherits = Follower(master.get());
    auto ownKind = Follower(master.get());
    ownKind->SetKind(lfFlat);
    auto ownBoth = Follower(master.get());
    ownBoth->SetKind(lfFlat);
    ownBoth->SetNativeStyle(true);
    auto below = Follower(inherits.get());
    Watch(*inherits, "F1", log_);
    Watch(*ownKind, "F2", log_);
    Watch(*ownBoth, "F3", log_);
    Watch(*below, "G", log_);

    master.reset();
    EXPECT_EQ(log_, (Log{"G KN", "F1 KN", "F2 N"}));
    for (TcxLookAndFeel* f : {inherits.get(), ownKind.get(), ownBoth.get()})
        EXPECT_EQ(f->Master(), nullptr);
    log_.clear();
    App().SetNativeStyle(true);
    EXPECT_EQ(log_, (Log{"G N", "F1 N", "F2 N"}));
}

TEST_F(LookAndFeel, ObjectsDestroyedInAnyOrderLeaveNothingBehind) {
    // 0 the application look-and-feel, 1 A, 2 B following A, 3 C following B, 4 D following A
    // with its own kind, 5 a controller.
    std::array<int, 6> order = {0, 1, 2, 3, 4, 5};
    int runs = 0;
    do {
        InitializeLookAndFeel();
        auto a = Follower(nullptr);
        auto b = Follower(a.get());
        auto c = Follower(b.get());
        auto d = Follower(a.get());
        d->SetKind(lfOffice11);
        auto controller = std::make_unique<TcxLookAndFeelController>();
        controller->SetKind(lfStandard);
        const std::array<std::unique_ptr<TcxLookAndFeel>*, 5> objects = {nullptr, &a, &b, &c, &d};
        bool toggle = false;
        for (int victim : order) {
            if (victim == 0)
                FinalizeLookAndFeel();
            else if (victim == 5)
                controller.reset();
            else
                objects[static_cast<size_t>(victim)]->reset();
            if (!ApplicationLookAndFeel())
                continue;
            toggle = !toggle;
            App().SetKind(toggle ? lfFlat : lfStandard);
            for (auto* object : {&a, &b, &c}) {
                if (*object) {
                    ASSERT_EQ((*object)->Kind(), App().Kind()) << ::testing::PrintToString(order);
                }
            }
            if (d) {
                ASSERT_EQ(d->Kind(), lfOffice11);
            }
        }
        ++runs;
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(runs, 720);
}

// --- The listener list during a notification ----------------------------------------------------

TEST_F(LookAndFeel, ListenersThatLeaveOrJoinDuringANotificationAreNeitherSkippedNorLost) {
    struct Case {
        const char* name;
        // Run on the first call of listener `by`; the listeners are L0, L1, L2 and X (not yet
        // registered); `leave` is unregistered, `join` registered.
        int by;
        std::vector<int> leave;
        std::vector<int> join;
        Log calls;
    };
    const Case cases[] = {
        {"first leaves", 0, {0}, {}, {"L0", "L1", "L2"}},
        {"second takes out the first", 1, {0}, {}, {"L0", "L1", "L2"}},
        {"first takes out the second: the first is visited again", 0, {1}, {}, {"L0", "L0", "L2"}},
        {"second takes out itself and the last", 1, {1, 2}, {}, {"L0", "L1"}},
        {"last takes out the first two", 2, {0, 1}, {}, {"L0", "L1", "L2"}},
        {"first brings in X", 0, {}, {3}, {"L0", "L0", "L1", "L2", "X"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Log calls;
        TcxLookAndFeel master;
        std::vector<std::unique_ptr<RecordingListener>> listeners;
        for (const char* name : {"L0", "L1", "L2", "X"})
            listeners.push_back(std::make_unique<RecordingListener>(name, calls));
        for (int i = 0; i < 3; ++i)
            master.RegisterListener(listeners[static_cast<size_t>(i)].get());
        listeners[static_cast<size_t>(c.by)]->onFirstCall = [&] {
            for (int i : c.leave)
                master.UnregisterListener(listeners[static_cast<size_t>(i)].get());
            for (int i : c.join)
                master.RegisterListener(listeners[static_cast<size_t>(i)].get());
        };
        Watch(master, "M", calls);
        master.SetKind(lfFlat);
        Log expected = c.calls;
        expected.push_back("M K");
        EXPECT_EQ(calls, expected);
        for (const auto& l : listeners)
            master.UnregisterListener(l.get());
    }
}

TEST_F(LookAndFeel, HandlerThatDestroysTheNotifyingMasterEndsItsNotificationSafely) {
    auto master = std::make_unique<TcxLookAndFeel>();
    auto first = Follower(master.get());
    auto second = Follower(master.get());
    first->OnLookAndFeelChanged = [&](TcxLookAndFeel&, TcxLookAndFeelValues) { master.reset(); };
    Watch(*second, "F2", log_);

    master->SetKind(lfFlat);
    EXPECT_EQ(master.get(), nullptr);
    // The second follower learns of the master's end before the kind reached it.
    EXPECT_EQ(log_, Log{});
    for (TcxLookAndFeel* f : {first.get(), second.get()}) {
        EXPECT_EQ(f->Master(), nullptr);
        EXPECT_EQ(f->Kind(), lfUltraFlat);
    }
    App().SetKind(lfOffice11);
    EXPECT_EQ(second->Kind(), lfOffice11);
    EXPECT_EQ(first->Kind(), lfOffice11);
}

TEST_F(LookAndFeel, FollowerDestroyedWhileItsMasterGoesIsNotToldAgain) {
    auto master = std::make_unique<TcxLookAndFeel>();
    master->SetKind(lfFlat);
    auto first = Follower(master.get());
    auto second = Follower(master.get());
    auto third = Follower(master.get());
    first->OnLookAndFeelChanged = [&](TcxLookAndFeel&, TcxLookAndFeelValues) { second.reset(); };
    Watch(*third, "F3", log_);
    master.reset();
    EXPECT_EQ(second.get(), nullptr);
    EXPECT_EQ(log_, Log{"F3 K"});
    EXPECT_EQ(first->Master(), nullptr);
    EXPECT_EQ(third->Master(), nullptr);
}

// --- Controllers --------------------------------------------------------------------------------

TEST_F(LookAndFeel, LastControllerToGoReturnsTheApplicationLookAndFeelToTheDefaults) {
    TcxLookAndFeel follower;
    Watch(follower, "F", log_);
    auto first = std::make_unique<TcxLookAndFeelController>();
    auto second = std::make_unique<TcxLookAndFeelController>();
    App().RegisterListener(second.get()); // a second registration counts nothing
    TcxLookAndFeel ordinary;
    ordinary.RegisterListener(first.get()); // controllers attach to the application's only
    first->SetKind(lfOffice11);
    second->SetNativeStyle(true);
    EXPECT_EQ(App().Kind(), lfOffice11);
    EXPECT_TRUE(first->NativeStyle());
    EXPECT_EQ(log_, (Log{"F K", "F N"}));

    first.reset();
    EXPECT_EQ(App().Kind(), lfOffice11);
    EXPECT_EQ(log_.size(), 2u);
    second.reset();
    EXPECT_EQ(App().Kind(), lfUltraFlat);
    EXPECT_FALSE(App().NativeStyle());
    EXPECT_TRUE(App().AssignedValues().Empty());
    EXPECT_EQ(log_, (Log{"F K", "F N", "F KN"}));
}

TEST_F(LookAndFeel, ControllersWithoutAnApplicationLookAndFeelReadDefaultsAndCountAfresh) {
    auto early = std::make_unique<TcxLookAndFeelController>();
    early->SetKind(lfFlat);
    FinalizeLookAndFeel();
    EXPECT_EQ(early->Kind(), lfUltraFlat);
    early->SetNativeStyle(true); // ignored
    EXPECT_FALSE(early->NativeStyle());

    InitializeLookAndFeel();
    auto late = std::make_unique<TcxLookAndFeelController>();
    late->SetKind(lfStandard);
    early.reset(); // was never registered with this application look-and-feel
    EXPECT_EQ(App().Kind(), lfStandard);
    late.reset(); // the only one counted now
    EXPECT_EQ(App().Kind(), lfUltraFlat);
}

// --- Painter selection --------------------------------------------------------------------------

TEST_F(LookAndFeel, PainterFollowsKindNativeStyleAndTheVisualStyleAtEveryCall) {
    const std::array<std::pair<TcxLookAndFeelKind, TcxLookAndFeelPainterClass>, 4> byKind = {{
        {lfFlat, &TcxFlatLookAndFeelPainter::Instance()},
        {lfStandard, &TcxStandardLookAndFeelPainter::Instance()},
        {lfUltraFlat, &TcxUltraFlatLookAndFeelPainter::Instance()},
        {lfOffice11, &TcxOffice11LookAndFeelPainter::Instance()},
    }};
    const TcxLookAndFeelPainterClass native = &TcxWinXPLookAndFeelPainter::Instance();
    TcxLookAndFeel object;
    Watch(object, "F", log_);
    for (const bool styleOn : {false, true, false}) {
        testsupport::ScopedVisualStyle style(styleOn);
        ASSERT_TRUE(style.Switched());
        testsupport::PumpPendingMessages();
        ASSERT_EQ(ThemesAvailable({}), styleOn);
        EXPECT_EQ(log_, Log{}) << "a switch told the look-and-feel";
        for (const auto& [kind, painter] : byKind) {
            for (const bool nativeStyle : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << "style " << styleOn << " kind " << static_cast<int>(kind)
                             << " native " << nativeStyle);
                object.SetKind(kind);
                object.SetNativeStyle(nativeStyle);
                log_.clear();
                const bool nativeExpected = styleOn && nativeStyle;
                EXPECT_EQ(object.GetPainterClass(), nativeExpected ? native : painter);
                EXPECT_EQ(object.GetPainterClassForThemedObject(ThemedObjectType::Button),
                          nativeExpected ? native : painter);
            }
        }
        // A theme class that does not open keeps the painter of the kind.
        const ThemedObjectType types[] = {ThemedObjectType::Clock, ThemedObjectType::StartPanel,
                                          ThemedObjectType::TaskBand, ThemedObjectType::TrayNotify};
        for (ThemedObjectType type : types) {
            if (!ThemeAvailable(type)) {
                EXPECT_EQ(object.GetPainterClassForThemedObject(type),
                          &TcxOffice11LookAndFeelPainter::Instance());
            }
        }
    }
    testsupport::PumpPendingMessages();
    EXPECT_EQ(log_, Log{}) << "a switch told the look-and-feel";
}

// --- System colour changes ----------------------------------------------------------------------

/// Sets one system colour for real and puts it back on destruction, also when a test failed.
class ScopedSysColor {
public:
    ScopedSysColor(int index, COLORREF color) : index_(index), old_(::GetSysColor(index)) {
        changed_ = ::SetSysColors(1, &index_, &color) != FALSE;
    }
    ~ScopedSysColor() {
        if (changed_)
            ::SetSysColors(1, &index_, &old_);
    }
    ScopedSysColor(const ScopedSysColor&) = delete;
    ScopedSysColor& operator=(const ScopedSysColor&) = delete;
    bool Changed() const noexcept { return changed_; }

private:
    int index_;
    COLORREF old_;
    bool changed_ = false;
};

TEST_F(LookAndFeel, SystemColourChangeTellsEveryLookAndFeelAfterThePrimaryNotifiers) {
    const COLORREF oldFace = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF newFace = oldFace == RGB(200, 100, 50) ? RGB(90, 160, 210) : RGB(200, 100, 50);
    std::optional<ScopedSysColor> color; // destroyed after everything below

    TcxLookAndFeel a;
    auto b = Follower(&a);
    b->SetNativeStyle(true); // told whatever its values
    Watch(App(), "App", log_);
    Watch(a, "A", log_);
    Watch(*b, "B", log_);
    const Office11Colors before = Office11PaletteColors();
    bool paletteFresh = false;
    TcxSystemPaletteChangedNotifier primary(true);
    primary.OnColorsChanged = [&] {
        log_.push_back("primary");
        SystemColorSet now = SystemColorSet::Current();
        const Office11Colors expected =
            ComputeOffice11Colors(DetectOffice11Scheme(), ThemesAvailable({}), now);
        paletteFresh = now.Get(COLOR_BTNFACE) == newFace &&
                       Office11PaletteColors().Entries == expected.Entries &&
                       expected.Entries != before.Entries;
    };

    color.emplace(COLOR_BTNFACE, newFace);
    ASSERT_TRUE(color->Changed());
    testsupport::PumpPendingMessages();
    EXPECT_TRUE(paletteFresh);
    ASSERT_FALSE(log_.empty());
    EXPECT_EQ(log_.front(), "primary");
    EXPECT_EQ(std::count(log_.begin(), log_.end(), "primary"), 1);
    for (const char* told : {"App N", "A N", "B N"})
        EXPECT_EQ(std::count(log_.begin(), log_.end(), told) > 0, true)
            << told << " missing from " << ::testing::PrintToString(log_);
    for (const std::string& entry : log_)
        EXPECT_TRUE(entry == "primary" || entry.ends_with(" N")) << entry;
}

TEST_F(LookAndFeel, ColourNotifiersMayDestroyThemselvesAndOthersWhileTold) {
    Log calls;
    auto first = std::make_unique<TcxSystemPaletteChangedNotifier>(false);
    auto second = std::make_unique<TcxSystemPaletteChangedNotifier>(false);
    auto third = std::make_unique<TcxSystemPaletteChangedNotifier>(false);
    first->OnColorsChanged = [&calls] { calls.push_back("first"); };
    second->OnColorsChanged = [&calls] { calls.push_back("second"); };
    // Told first (last made); uses what it captured after its own notifier is gone.
    third->OnColorsChanged = [&calls, &second, &third] {
        third.reset();
        second.reset();
        calls.push_back("third");
    };
    ::SendMessageA(SystemPaletteChangedWindow(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(calls, (Log{"third", "first"}));
}

// --- Assign -------------------------------------------------------------------------------------

TEST_F(LookAndFeel, AssignTakesValuesAndMasterAndTellsEachChangeOnce) {
    TcxLookAndFeel plain, styled;
    styled.SetKind(lfFlat);
    styled.SetNativeStyle(true);
    struct Case {
        const char* name;
        std::function<void(TcxLookAndFeel& source, TcxLookAndFeel& target)> setUp;
        const char* told;
    };
    const Case cases[] = {
        {"source follows another master",
         [&](TcxLookAndFeel& s, TcxLookAndFeel& t) {
             s.SetKind(lfOffice11);
             s.SetAssignedValues({}); // stored only
             s.SetMaster(&styled);
             t.SetMaster(&plain);
         },
         "T KN"},
        {"source follows the application with its own kind",
         [&](TcxLookAndFeel& s, TcxLookAndFeel& t) {
             s.SetKind(lfStandard);
             t.SetMaster(&plain);
             t.SetNativeStyle(true);
         },
         "T KN"},
        {"nothing differs",
         [&](TcxLookAndFeel& s, TcxLookAndFeel& t) {
             s.SetMaster(&plain);
             t.SetMaster(&plain);
         },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TcxLookAndFeel source, target;
        c.setUp(source, target);
        log_.clear();
        Watch(target, "T", log_);
        target.Assign(source);
        const std::string told = c.told;
        EXPECT_EQ(log_, told.empty() ? Log{} : Log{told});
        EXPECT_EQ(target.AssignedValues(), source.AssignedValues());
        // Master becomes the source's effective master.
        EXPECT_EQ(target.Master(), source.Master() ? source.Master() : &App());
        EXPECT_EQ(target.Kind(), source.Kind());
        EXPECT_EQ(target.NativeStyle(), source.NativeStyle());
        // The stored values came along too.
        target.SetAssignedValues({lfvKind, lfvNativeStyle});
        source.SetAssignedValues({lfvKind, lfvNativeStyle});
        EXPECT_EQ(target.Kind(), source.Kind());
        EXPECT_EQ(target.NativeStyle(), source.NativeStyle());
    }
}

TEST_F(LookAndFeel, AssignBetweenUnrelatedClassesFailsNamingBoth) {
    TcxLookAndFeel object;
    object.SetKind(lfFlat);
    TcxLookAndFeelController controller;
    const std::pair<framework::TPersistent*, framework::TPersistent*> pairs[] = {
        {&object, &controller}, {&controller, &object}};
    const char* messages[] = {"Cannot assign a TcxLookAndFeelController to a TcxLookAndFeel",
                              "Cannot assign a TcxLookAndFeel to a TcxLookAndFeelController"};
    for (size_t i = 0; i < 2; ++i) {
        try {
            pairs[i].first->Assign(*pairs[i].second);
            ADD_FAILURE() << "no exception for " << messages[i];
        } catch (const framework::EConvertError& e) {
            EXPECT_EQ(e.Message(), messages[i]);
        }
    }
    EXPECT_EQ(object.Kind(), lfFlat);
    EXPECT_EQ(object.AssignedValues(), TcxLookAndFeelValues{lfvKind});
}

// --- Start-up and shut-down ---------------------------------------------------------------------

TEST_F(LookAndFeel, ShutDownTellsFollowersWhichOutliveItSafely) {
    RecordingListener listener("L", log_);
    App().RegisterListener(&listener);
    App().SetKind(lfFlat);
    auto follower = Follower(nullptr);
    auto below = Follower(follower.get());
    FinalizeLookAndFeel();
    EXPECT_EQ(ApplicationLookAndFeel(), nullptr);
    EXPECT_EQ(log_, (Log{"L", "L destroying"}));
    EXPECT_EQ(follower->Master(), nullptr);
    // Followers keep working and go without touching what is gone.
    follower->SetNativeStyle(true);
    EXPECT_TRUE(below->NativeStyle());
    follower.reset(); // below now has no master at all: the defaults
    EXPECT_EQ(below->Kind(), lfUltraFlat);
    EXPECT_FALSE(below->NativeStyle());
    InitializeLookAndFeel();
    EXPECT_EQ(App().Kind(), lfUltraFlat);
}

// --- Window definitions -------------------------------------------------------------------------

TEST_F(LookAndFeel, AssignedSettingsRoundTripThroughADefinition) {
    struct Case {
        TcxLookAndFeelValues assigned;
        TcxLookAndFeelKind kind;
        bool nativeStyle;
        const char* text;
    };
    const TcxLookAndFeelValues both{lfvKind, lfvNativeStyle};
    const Case cases[] = {
        {{}, lfFlat, true, ""},
        {{lfvKind}, lfOffice11, true, "    LookAndFeel.Kind: lfOffice11\n"},
        {{lfvNativeStyle}, lfStandard, false, "    LookAndFeel.NativeStyle: false\n"},
        {both, lfUltraFlat, true,
         "    LookAndFeel.Kind: lfUltraFlat\n    LookAndFeel.NativeStyle: true\n"},
        {both, lfFlat, false, "    LookAndFeel.Kind: lfFlat\n    LookAndFeel.NativeStyle: false\n"},
        {both, lfStandard, true,
         "    LookAndFeel.Kind: lfStandard\n    LookAndFeel.NativeStyle: true\n"},
    };
    App().SetKind(lfOffice11); // inherited values must not be written
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TcxLookAndFeel written;
        written.SetKind(c.kind);
        written.SetNativeStyle(c.nativeStyle);
        written.SetAssignedValues(c.assigned);
        const std::string text = WriteLookAndFeelProperties(written, "LookAndFeel.", "    ");
        EXPECT_EQ(text, c.text);

        const framework::DefinitionNode node =
            framework::ParseDefinition("TcxButton Button1 {\n" + text + "}\n", "round trip");
        TcxLookAndFeel read;
        for (const auto& property : node.properties)
            EXPECT_TRUE(ReadLookAndFeelProperty(read, property, "LookAndFeel."));
        EXPECT_EQ(read.AssignedValues(), written.AssignedValues());
        EXPECT_EQ(read.Kind(), written.Kind());
        EXPECT_EQ(read.NativeStyle(), written.NativeStyle());
    }
}

TEST_F(LookAndFeel, DefinitionValuesThatAreNotSettingsFailNamingTheLine) {
    const char* bad[] = {"Kind: lfMetal",           "Kind: 2",
                         "Kind: lfFlat lfStandard", "NativeStyle: Yes",
                         "NativeStyle: \"true\"",   "NativeStyle: 1"};
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        const auto node = framework::ParseDefinition(
            std::string("TcxButton B {\n\n") + line + "\n}\n", "Form.def");
        TcxLookAndFeel object;
        try {
            ReadLookAndFeelProperty(object, node.properties.at(0));
            ADD_FAILURE() << "accepted";
        } catch (const framework::EDefinitionError& e) {
            EXPECT_EQ(e.Message().rfind("Form.def line 3: ", 0), 0u) << e.Message();
        }
        EXPECT_TRUE(object.AssignedValues().Empty());
    }
    // Other properties are left to the caller; a prefix must match whole.
    const auto node = framework::ParseDefinition(
        "TcxButton B {\n Caption: \"Kind\"\n Kind: lfFlat\n Style.Kind: lfFlat\n}\n", "Form.def");
    TcxLookAndFeel object;
    EXPECT_FALSE(ReadLookAndFeelProperty(object, node.properties[0]));
    EXPECT_FALSE(ReadLookAndFeelProperty(object, node.properties[1], "LookAndFeel."));
    EXPECT_FALSE(ReadLookAndFeelProperty(object, node.properties[2]));
    EXPECT_TRUE(object.AssignedValues().Empty());
}

} // namespace

#include "lookandfeel/cxSystemPalette.h"

#include "framework/ExceptionReport.h"
#include "framework/HiddenWindow.h"
#include "lookandfeel/Office11Colors.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace lookandfeel {

// --- System colour-change broadcast -------------------------------------------------------------

namespace {

unsigned lastGeneration = 0;

class TcxSystemPaletteChangedListener;
std::unique_ptr<TcxSystemPaletteChangedListener>& Listener();

class TcxSystemPaletteChangedListener {
public:
    TcxSystemPaletteChangedListener() {
        AcquireOffice11Palette();
        try {
            window_ = std::make_unique<framework::THiddenWindow>(
                [this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
                    if (message == WM_SYSCOLORCHANGE)
                        SystemColorsChanged();
                    return ::DefWindowProcA(window, message, wParam, lParam);
                });
        } catch (...) {
            ReleaseOffice11Palette();
            throw;
        }
    }
    ~TcxSystemPaletteChangedListener() {
        window_.reset();
        ReleaseOffice11Palette();
    }

    void Add(TcxSystemPaletteChangedNotifier* notifier) { ListOf(notifier).push_back(notifier); }
    void Remove(TcxSystemPaletteChangedNotifier* notifier) noexcept {
        auto& list = ListOf(notifier);
        list.erase(std::remove(list.begin(), list.end(), notifier), list.end());
    }
    bool Empty() const noexcept { return primary_.empty() && others_.empty(); }
    HWND Handle() const noexcept { return window_ ? window_->Handle() : nullptr; }

private:
    std::vector<TcxSystemPaletteChangedNotifier*>&
    ListOf(TcxSystemPaletteChangedNotifier* notifier) noexcept {
        return notifier->IsPrimary() ? primary_ : others_;
    }

    // A notifier told here may destroy the last notifier, and with it this listener (and its
    // window, whose procedure is running): after every call only locals are used until the
    // listener is known to be the same one still.
    void SystemColorsChanged() {
        const unsigned generation = generation_;
        try {
            RefreshOffice11Palette();
        } catch (...) {
            framework::HandleException();
        }
        for (const bool primary : {true, false}) {
            const std::vector<TcxSystemPaletteChangedNotifier*> snapshot =
                primary ? primary_ : others_;
            for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
                const auto* current = Listener().get();
                if (!current || current->generation_ != generation)
                    return;
                const auto& list = primary ? current->primary_ : current->others_;
                if (std::find(list.begin(), list.end(), *it) == list.end())
                    continue;
                try {
                    (*it)->ColorsChanged();
                } catch (...) {
                    framework::HandleException();
                }
            }
            const auto* current = Listener().get();
            if (!current || current->generation_ != generation)
                return;
        }
    }

    std::vector<TcxSystemPaletteChangedNotifier*> primary_;
    std::vector<TcxSystemPaletteChangedNotifier*> others_;
    std::unique_ptr<framework::THiddenWindow> window_;
    const unsigned generation_ = ++lastGeneration;
};

std::unique_ptr<TcxSystemPaletteChangedListener>& Listener() {
    static std::unique_ptr<TcxSystemPaletteChangedListener> listener;
    return listener;
}

} // namespace

TcxSystemPaletteChangedNotifier::TcxSystemPaletteChangedNotifier(bool isPrimary)
    : isPrimary_(isPrimary) {
    auto& listener = Listener();
    if (!listener)
        listener = std::make_unique<TcxSystemPaletteChangedListener>();
    try {
        listener->Add(this);
    } catch (...) {
        if (listener->Empty())
            listener.reset();
        throw;
    }
}

TcxSystemPaletteChangedNotifier::~TcxSystemPaletteChangedNotifier() {
    auto& listener = Listener();
    if (!listener)
        return;
    listener->Remove(this);
    if (listener->Empty())
        listener.reset();
}

void TcxSystemPaletteChangedNotifier::ColorsChanged() {
    // Through a copy: the handler may destroy this notifier, and with it OnColorsChanged.
    if (OnColorsChanged) {
        const std::function<void()> handler = OnColorsChanged;
        handler();
    }
}

HWND SystemPaletteChangedWindow() noexcept {
    const auto& listener = Listener();
    return listener ? listener->Handle() : nullptr;
}

} // namespace lookandfeel

// ScopeGuard.h - runs a piece of code when a scope is left, however it is left.
//
//     auto restore = framework::OnScopeExit([&] { ::SetBkMode(dc, previous); });
//
// The action runs once, from the destructor, unless Release() was called first. It must not
// throw: it runs while an exception may be unwinding the scope.
#pragma once

#include <type_traits>
#include <utility>

namespace framework {

template <typename Action> class [[nodiscard]] ScopeGuard {
public:
    explicit ScopeGuard(Action action) noexcept(std::is_nothrow_move_constructible_v<Action>)
        : action_(std::move(action)) {}
    ~ScopeGuard() {
        if (armed_)
            action_();
    }
    ScopeGuard(ScopeGuard&& other) noexcept(std::is_nothrow_move_constructible_v<Action>)
        : action_(std::move(other.action_)), armed_(std::exchange(other.armed_, false)) {}
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    ScopeGuard& operator=(ScopeGuard&&) = delete;

    /// The action will not run.
    void Release() noexcept { armed_ = false; }

private:
    Action action_;
    bool armed_ = true;
};

/// A guard that runs action when the caller's scope ends.
template <typename Action> ScopeGuard<std::decay_t<Action>> OnScopeExit(Action&& action) {
    return ScopeGuard<std::decay_t<Action>>(std::forward<Action>(action));
}

} // namespace framework

// ScopedOverride.h - replaces a table of system functions for one scope.
//
// The code that calls the system through a table (registry, files, theme library) keeps the table
// in force behind an accessor that returns it by reference. Tests replace the table, or one entry
// of it, for a scope and get the previous one back when the scope ends:
//
//     using ScopedRegistryApi = framework::ScopedOverride<RegistryApi,
//     &detail::MutableRegistryApi>; ScopedRegistryApi failing(tableThatFails);
//
//     ScopedMemberOverride<ThemeFunctions, &detail::MutableThemeFunctions,
//                          &ThemeFunctions::OpenThemeData> open(&CountingOpenThemeData);
//
// Overrides nest (the innermost wins) and must end in reverse order of creation, which scoped
// objects do by themselves. The tables belong to the GUI thread, so the overrides do too.
#pragma once

#include <type_traits>
#include <utility>

namespace framework {

/// Installs a copy of a whole table for its lifetime.
template <typename Table, Table& (*Current)() noexcept> class ScopedOverride {
public:
    explicit ScopedOverride(const Table& replacement) noexcept : previous_(Current()) {
        Current() = replacement;
    }
    ~ScopedOverride() { Current() = previous_; }
    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

    /// The table that was in force before this override; a replacement usually forwards to it.
    const Table& Previous() const noexcept { return previous_; }

private:
    Table previous_;
};

/// Replaces one entry of a table for its lifetime.
template <typename Table, Table& (*Current)() noexcept, auto Member> class ScopedMemberOverride {
public:
    using Entry = std::remove_reference_t<decltype(std::declval<Table&>().*Member)>;

    explicit ScopedMemberOverride(Entry replacement) noexcept
        : original_(std::exchange(Current().*Member, replacement)) {}
    ~ScopedMemberOverride() { Current().*Member = original_; }
    ScopedMemberOverride(const ScopedMemberOverride&) = delete;
    ScopedMemberOverride& operator=(const ScopedMemberOverride&) = delete;

    /// The entry that was in force before; fakes that delegate call it.
    Entry Original() const noexcept { return original_; }

private:
    Entry original_;
};

} // namespace framework

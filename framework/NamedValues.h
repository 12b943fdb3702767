// NamedValues.h - looking up a value by its name in a fixed table.
//
// Two shapes of table: the names of an enumeration in the order of its values, where a name's
// position is its value; and name and value pairs, for values that are not positions (colours,
// cursors). Both answer "not found" with an empty optional, and the caller says what was unknown.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace framework {

template <typename Value> struct NamedValue {
    const char* name;
    Value value;
};

/// The value whose name is name, when names lists an enumeration's values in order.
template <typename Enum, std::size_t N>
constexpr std::optional<Enum> ValueOfName(const char* const (&names)[N],
                                          std::string_view name) noexcept {
    for (std::size_t i = 0; i < N; ++i)
        if (name == names[i])
            return static_cast<Enum>(i);
    return std::nullopt;
}

/// The value paired with name in table.
template <typename Value, std::size_t N>
constexpr std::optional<Value> ValueOfName(const NamedValue<Value> (&table)[N],
                                           std::string_view name) noexcept {
    for (const NamedValue<Value>& entry : table)
        if (name == entry.name)
            return entry.value;
    return std::nullopt;
}

/// The name of value in table; null when it has none.
template <typename Value, std::size_t N>
constexpr const char* NameOfValue(const NamedValue<Value> (&table)[N],
                                  const Value& value) noexcept {
    for (const NamedValue<Value>& entry : table)
        if (entry.value == value)
            return entry.name;
    return nullptr;
}

} // namespace framework

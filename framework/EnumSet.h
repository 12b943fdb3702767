// EnumSet.h - a set of the values of an enumeration, one bit per value.
//
// For enumerations whose values run from 0 to Count - 1 (by default a small one: up to eight
// values in one byte). Bits of no value are dropped wherever a set is made from bits, so two sets
// with the same members always compare equal. The font styles, borders, button states, the
// look-and-feel values and the themed object types are such sets.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace framework {

template <typename Enum, int Count = 8, typename Bits = std::uint8_t> class EnumSet {
    static_assert(std::is_unsigned_v<Bits> && Count > 0 && Count <= int{sizeof(Bits) * 8});

public:
    using BitsType = Bits;

    constexpr EnumSet() noexcept = default;
    constexpr EnumSet(Enum value) noexcept : bits_(Bit(value)) {}
    constexpr EnumSet(std::initializer_list<Enum> values) noexcept {
        for (Enum value : values)
            bits_ = static_cast<Bits>(bits_ | Bit(value));
    }
    /// Bits above the last value are dropped.
    static constexpr EnumSet FromBits(Bits bits) noexcept {
        EnumSet set;
        set.bits_ = static_cast<Bits>(bits & kAllBits);
        return set;
    }
    static constexpr EnumSet All() noexcept { return FromBits(kAllBits); }

    constexpr Bits ToBits() const noexcept { return bits_; }
    constexpr bool Empty() const noexcept { return bits_ == 0; }
    constexpr bool Contains(Enum value) const noexcept { return (bits_ & Bit(value)) != 0; }
    constexpr EnumSet& Include(Enum value) noexcept {
        bits_ = static_cast<Bits>(bits_ | Bit(value));
        return *this;
    }
    constexpr EnumSet& Exclude(Enum value) noexcept {
        bits_ = static_cast<Bits>(bits_ & ~Bit(value));
        return *this;
    }

    friend constexpr EnumSet operator|(EnumSet a, EnumSet b) noexcept {
        return FromBits(static_cast<Bits>(a.bits_ | b.bits_));
    }
    /// The members of a that are not in b.
    friend constexpr EnumSet operator-(EnumSet a, EnumSet b) noexcept {
        return FromBits(static_cast<Bits>(a.bits_ & ~b.bits_));
    }
    friend constexpr bool operator==(EnumSet a, EnumSet b) noexcept { return a.bits_ == b.bits_; }

private:
    static constexpr Bits kAllBits = Count == int{sizeof(Bits) * 8}
                                         ? static_cast<Bits>(~Bits{0})
                                         : static_cast<Bits>((Bits{1} << Count) - 1);
    static constexpr Bits Bit(Enum value) noexcept {
        const auto ordinal = static_cast<int>(value);
        return ordinal >= 0 && ordinal < Count ? static_cast<Bits>(Bits{1} << ordinal) : Bits{0};
    }
    Bits bits_ = 0;
};

} // namespace framework

// 32-bit integer arithmetic as the device does it.
//
// The physics works in signed 32-bit integers whose products and sums wrap
// around modulo 2^32, with >> an arithmetic shift and / a division that
// truncates towards zero. C++ leaves signed overflow undefined, so every
// computation that can leave the 32-bit range goes through I32, whose
// operators do the arithmetic in unsigned form and wrap explicitly.
#pragma once

#include <cstdint>
#include <compare>

namespace bw {

struct I32 {
    int32_t v;

    constexpr I32(int32_t value = 0) : v(value) {}  // NOLINT: implicit on purpose

    friend constexpr bool operator==(I32, I32) = default;
    friend constexpr auto operator<=>(I32, I32) = default;

    static constexpr I32 Wrap(uint32_t u) { return I32(static_cast<int32_t>(u)); }
    static constexpr uint32_t U(I32 a) { return static_cast<uint32_t>(a.v); }

    friend constexpr I32 operator+(I32 a, I32 b) { return Wrap(U(a) + U(b)); }
    friend constexpr I32 operator-(I32 a, I32 b) { return Wrap(U(a) - U(b)); }
    friend constexpr I32 operator*(I32 a, I32 b) { return Wrap(U(a) * U(b)); }
    constexpr I32 operator-() const { return Wrap(0u - U(*this)); }
    // Truncates towards zero. The two cases the hardware would trap on are
    // defined here: x / 0 gives 0 and INT_MIN / -1 wraps to INT_MIN.
    friend constexpr I32 operator/(I32 a, I32 b) {
        if (b.v == 0) return I32(0);
        if (b.v == -1) return -a;
        return I32(a.v / b.v);
    }
    friend constexpr I32 operator%(I32 a, I32 b) {
        if (b.v == 0 || b.v == -1) return I32(0);
        return I32(a.v % b.v);
    }
    // Arithmetic shift: rounds towards minus infinity.
    friend constexpr I32 operator>>(I32 a, int n) { return I32(a.v >> n); }
    friend constexpr I32 operator<<(I32 a, int n) { return Wrap(U(a) << n); }

    I32& operator+=(I32 b) { return *this = *this + b; }
    I32& operator-=(I32 b) { return *this = *this - b; }
};

// |a|, wrapping for INT_MIN as the device does.
constexpr I32 Abs(I32 a) { return a.v < 0 ? -a : a; }

}  // namespace bw

// Number rules shared by measuring and drawing: every value is a float
// rounded as written, integers come from round-half-to-even that saturates.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace sprite_font_detail {

inline constexpr double kDegToRad = 0.017453292519943295;
inline constexpr double kRadToDeg = 57.29577951308232;

// Nearest integer, halves to even; out-of-range values saturate, NaN is 0.
inline std::int32_t RoundToInt32(float value) noexcept {
    if (std::isnan(value)) return 0;
    // 2^31 is exactly representable; anything at or past it saturates.
    if (value >= 2147483648.0f) return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0f) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(std::nearbyint(value));
}

// The double product rounded to float, as every angle conversion is.
inline float DegToRad(float degrees) noexcept {
    return static_cast<float>(static_cast<double>(degrees) * kDegToRad);
}
inline float RadToDeg(float radians) noexcept {
    return static_cast<float>(static_cast<double>(radians) * kRadToDeg);
}

// Sine and cosine in double of the stored float, rounded back to float.
inline float Sin(float radians) noexcept {
    return static_cast<float>(std::sin(static_cast<double>(radians)));
}
inline float Cos(float radians) noexcept {
    return static_cast<float>(std::cos(static_cast<double>(radians)));
}

// A style parameter is "zero" only with the bits of +0.0; -0.0 counts as set.
inline bool IsPlusZero(float value) noexcept { return std::bit_cast<std::uint32_t>(value) == 0; }

// -1.0 selects the font's own parameter; NaN takes the same branch.
inline bool UsesFontDefault(float value) noexcept { return value == -1.0f || std::isnan(value); }

inline float ToFloat(std::int32_t value) noexcept { return static_cast<float>(value); }

}  // namespace sprite_font_detail

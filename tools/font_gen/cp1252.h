// Windows-1252, the code page of the demonstration's texts and font.
#pragma once

#include <cstdint>

namespace font_gen {

// The Unicode character of a Windows-1252 byte; 0 for the five bytes the code
// page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) and for byte 0.
inline char32_t Cp1252ToUnicode(std::uint8_t byte) noexcept {
    // Only 0x80..0x9F differ from Latin-1.
    static constexpr char32_t kHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
    };
    if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
    return byte;
}

}  // namespace font_gen

#pragma once

#include <chrono>

#include "platform.h"

// The offscreen screen every benchmark of the process shares, opened on
// first use like the capture tool's: font 1 from the embedded font, bilinear
// 3D sprites. Exits the process when it cannot be had.
Screen& BenchScreen();

// The baseline beside it: a second offscreen screen on SDL's renderer, with
// the embedded font loaded through it as font kBaselineFont. Drawing on it
// needs it installed (SetSpritePlatform); BenchScreen stays installed otherwise.
inline constexpr FontId kBaselineFont = 2;
Screen& BenchSdlScreen();

// Puts the styles of font 1 (or another) back to their load-time values.
void ResetFontStyles(FontId font = 1);

using BenchClock = std::chrono::steady_clock;
inline double SecondsSince(BenchClock::time_point start) {
    return std::chrono::duration<double>(BenchClock::now() - start).count();
}

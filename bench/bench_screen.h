#pragma once

#include <chrono>

#include "platform.h"

// The offscreen screen every benchmark of the process shares, opened on
// first use like the capture tool's: font 1 from the embedded font, bilinear
// 3D sprites. Exits the process when it cannot be had.
Screen& BenchScreen();

// Puts font 1's styles back to their load-time values.
void ResetFontStyles();

using BenchClock = std::chrono::steady_clock;
inline double SecondsSince(BenchClock::time_point start) {
    return std::chrono::duration<double>(BenchClock::now() - start).count();
}

#pragma once

#include "platform.h"

// Where the guide line lies: the origin of the showcase's second line and as
// long as that line's length limit.
inline constexpr std::int32_t kGuideX = 50;
inline constexpr std::int32_t kGuideY = 100;
inline constexpr std::int32_t kGuideWidth = 600;

// Draws frame t of the demonstration into the screen's back buffer: white,
// the showcase inside the 3D-sprite batch, then the black guide line. The
// window loop flips after it; the capture tool reads the pixels back. Font 1
// must be loaded through this screen for the showcase to show anything.
void RenderFrame(Screen& screen, float t) noexcept;

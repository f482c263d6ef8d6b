#pragma once

#include "sprite_font.h"

// The demonstration's per-frame style showcase: sets font 1's styles and
// draws the five sample lines. Runs inside the frame's 3D-sprite batch.
// t is the frame counter, 1.0 in the first frame.
void RunShowcase(float t) noexcept;

// The two animated values, in 32-bit float arithmetic as the frame uses them.
float ShowcaseSize(float t) noexcept;  // line 4's size, 0.5 .. 1.5
float ShowcaseArc(float t) noexcept;   // line 5's arc in degrees, -5 .. 5

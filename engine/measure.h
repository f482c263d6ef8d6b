#pragma once

#include "sprite_font.h"

namespace sprite_font_detail {

enum class Extent { Width, Height };

// The measurement walk on an already resolved font; drawing anchors with it.
std::int32_t MeasureText(const SpriteFont& font, const char* text, float size, Extent extent) noexcept;

}  // namespace sprite_font_detail

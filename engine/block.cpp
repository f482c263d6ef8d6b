// Blocks of text: line breaks, wrapping, alignment, kerning.
#include "sprite_font.h"

TextBlockExtent SpriteFontMeasureBlock(FontId, const char*, float, const TextBlock&) noexcept { return {0, 0, 0}; }
std::int32_t DrawSpriteFontBlock(FontId, std::int32_t, std::int32_t, const char*, float, float,
                                 const TextBlock&) noexcept {
    return 0;
}
TextBlockExtent SpriteFontMeasureBlockUtf8(FontId, const char*, float, const TextBlock&, std::int32_t) noexcept {
    return {0, 0, 0};
}
std::int32_t DrawSpriteFontBlockUtf8(FontId, std::int32_t, std::int32_t, const char*, float, float,
                                     const TextBlock&, std::int32_t) noexcept {
    return 0;
}

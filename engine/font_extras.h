// What a font carries beyond the public SpriteFont record: the chunks of its
// packed block and its tint. Kept beside the record, not in it, so that
// SpriteFont's layout stays what callers were promised.
#pragma once

#include <cstdint>
#include <type_traits>

#include "packed_format.h"
#include "sprite_font.h"

namespace sprite_font_detail {

struct FontExtras {
    bool hasMetrics;
    sprite_font_format::Metrics metrics;  // as the metrics chunk gave them
    std::int32_t largestLineHeight;       // of the glyph records
    std::uint32_t kerningPairs;
    std::int16_t* kerning;                // 256 x 256 amounts by (first << 8 | second); null when none
    std::uint32_t color;                  // 0xBBGGRR tint, white by default
    // The reference box of turned text: the largest glyph box (srcWidth and
    // srcHeight each at their largest), so a font whose glyphs share one box
    // has exactly that box. Turned glyphs sit as this box would.
    std::int32_t referenceWidth;
    std::int32_t referenceHeight;
    SpriteFontFieldEffects effects;       // outline and shadow of a field font
};

// The registry's unit: the public record first, so a handle (its address)
// leads to the extras without a search.
struct FontRecord {
    SpriteFont font;
    FontExtras extras;
};
static_assert(std::is_standard_layout_v<FontRecord> && offsetof(FontRecord, font) == 0);

inline const FontExtras& ExtrasOf(const SpriteFont& font) noexcept {
    return reinterpret_cast<const FontRecord*>(&font)->extras;
}
inline FontExtras& ExtrasOf(SpriteFont& font) noexcept { return reinterpret_cast<FontRecord*>(&font)->extras; }

// The field kind the font is drawn with: the chunk's, unless the chunk
// names an unknown kind or a range of 0, which would draw nothing sensible.
inline std::int32_t FieldKindOf(const FontExtras& extras) noexcept {
    if (!extras.hasMetrics || extras.metrics.fieldRange == 0) return 0;
    const std::int32_t kind = extras.metrics.fieldKind;
    return kind == sprite_font_format::FieldSdf || kind == sprite_font_format::FieldMsdf ? kind : 0;
}

inline std::int32_t KerningOf(const FontExtras& extras, unsigned char first, unsigned char second) noexcept {
    return extras.kerning == nullptr ? 0 : extras.kerning[first << 8 | second];
}

// The line advance at size 1.0: the maker's line height when it gave one,
// else the tallest glyph record's.
inline std::int32_t LineHeightOf(const FontExtras& extras) noexcept {
    if (extras.hasMetrics && extras.metrics.lineHeight > 0) return extras.metrics.lineHeight;
    return extras.largestLineHeight;
}

// The code page the font's codes are in: its metrics chunk's when the engine
// knows that code page, else Windows-1252 (the demonstration's).
inline std::int32_t CodePageOf(const FontExtras& extras) noexcept {
    if (extras.hasMetrics) {
        const auto codePage = static_cast<std::int32_t>(extras.metrics.codePage);
        if (codePage > 0 && CodePageToUnicode(codePage, 'A') == 'A') return codePage;
    }
    return CodePageWindows1252;
}

}  // namespace sprite_font_detail

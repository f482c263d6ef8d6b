// Fuzzes the maker's face path: FreeType opening arbitrary bytes as a face,
// rendering the code page's characters and packing them. The first byte
// picks the pixel size (1..48) and an outline, so sizes stay bounded, or,
// without an outline, whether the glyphs become distance fields; the rest
// is the face file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "atlas_packer.h"
#include "distance_field.h"
#include "font_block.h"
#include "truetype.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    font_maker::Style style;
    style.pixelSize = 1 + data[0] % 48;
    style.outline = data[0] >> 7;
    const std::span<const std::uint8_t> face(data + 1, size - 1);
    std::vector<font_maker::GlyphImage> glyphs;
    std::vector<std::string> notes;
    const font_maker::MakeStatus rendered =
        font_maker::RenderFace(face, style, (data[0] & 0x40) ? CodePageWindows1253 : CodePageWindows1252, &glyphs, &notes);
    if (!rendered.ok()) {
        Check(!rendered.message.empty());
        return 0;
    }
    // Fields from the same outlines: SDF or MSDF by another bit.
    const bool field = style.outline == 0 && (data[0] & 0x20) != 0;
    sprite_font_format::Metrics metrics{};
    if (field) {
        const font_maker::FieldOptions options{(data[0] & 0x10) ? font_maker::FieldKind::Msdf : font_maker::FieldKind::Sdf, 4};
        const font_maker::MakeStatus made = font_maker::MakeFaceFields(
            face, style.pixelSize, (data[0] & 0x40) ? CodePageWindows1253 : CodePageWindows1252, options, &glyphs, &metrics);
        if (!made.ok()) {
            Check(!made.message.empty());
            return 0;
        }
    }
    std::vector<std::uint8_t> block;
    font_maker::MakeStatus built =
        font_maker::BuildPackedFont(std::move(glyphs), font_maker::Packing::Tight, &block, false);
    if (built.ok() && field) built = font_maker::MarkFieldFont(&block, metrics);
    if (!built.ok()) {
        Check(!built.message.empty());
        return 0;
    }
    Check(sftools::UnpackFont(block).has_value());
    return 0;
}

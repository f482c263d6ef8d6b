// TrueType and OpenType faces through FreeType, rendered glyph by glyph with
// a fill, an outline and a shadow.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "atlas_packer.h"
#include "face_style.h"
#include "font_block.h"
#include "make_status.h"

namespace font_maker {

// Renders every character of the code page that the face has (control
// characters aside). offsetX and offsetY place the image against the pen
// and the top of the line (the ascender), advance is the face's hinted
// advance and lineHeight its line height at that size. notes gets a line
// for the characters the face lacks. The bytes must outlive nothing: the
// face is closed before the call returns.
// chunks, when given, gets the font-wide data: the metrics (the face's line
// height and ascender at that size, which is where the records put the
// baseline, and the code page) and, with kerning, the face's kerning pairs
// between the rendered codes (see FaceKerning).
MakeStatus RenderFace(std::span<const std::uint8_t> faceFile, const Style& style, std::int32_t codePage,
                      std::vector<GlyphImage>* glyphs, std::vector<std::string>* notes,
                      sftools::FontChunks* chunks = nullptr, bool kerning = true);

}  // namespace font_maker

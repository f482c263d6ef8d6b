// Kerning pairs of a TrueType/OpenType face, for the codes a packed font has.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "packed_format.h"

namespace font_maker {

// Whether this build reads kerning from faces (it needs HarfBuzz).
bool FaceKerningAvailable();

// The kerning between every two of the codes (bytes of codePage, each with a
// glyph in the font), as a renderer applies it: GPOS pair adjustment through
// the face's "kern" feature, or the legacy `kern` table when GPOS has none.
// Amounts are the face's design units scaled to pixelSize pixels per em and
// rounded half to even; pairs that round to 0 are left out. Pairs come in
// ascending (first, second) order. Empty when the face has no kerning, when
// HarfBuzz cannot read it, or when the build has no HarfBuzz.
std::vector<sprite_font_format::KerningPair> FaceKerning(std::span<const std::uint8_t> faceFile,
                                                         std::int32_t pixelSize, std::int32_t codePage,
                                                         std::span<const std::uint8_t> codes);

}  // namespace font_maker

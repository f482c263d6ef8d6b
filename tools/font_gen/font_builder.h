// The three jobs of the generator, as functions the command line calls.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace font_gen {

// Draws the atlas from the typeface at facePath and packs it with the metric
// table. False, with a message, when the face lacks a glyph or a glyph's
// artwork would leave its box.
bool BuildDemoFont(const std::string& facePath, std::vector<std::uint8_t>* block, std::string* error);

// Prints, per glyph with artwork, the face's advance and left edge against
// the table's, and the horizontal stretch the builder applies.
bool ReportFit(const std::string& facePath, std::FILE* out, std::string* error);

// The five captions laid out straight with the font's own metrics, over white.
bool BuildSpecimen(std::span<const std::uint8_t> block, std::vector<std::uint8_t>* png,
                   std::string* error);

}  // namespace font_gen

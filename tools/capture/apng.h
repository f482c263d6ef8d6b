#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Joins still PNGs of one size into an animated PNG (APNG): the first
// frame's IHDR, an acTL, then per frame an fcTL and its image data (IDAT for
// the first frame, fdAT after). Viewers without APNG show the first frame.
// delayNum / delayDen is each frame's duration in seconds; plays 0 loops
// forever. Empty when a still is not a PNG or the sizes differ.
std::vector<std::uint8_t> AssembleApng(std::span<const std::vector<std::uint8_t>> stills, std::uint16_t delayNum,
                                       std::uint16_t delayDen, std::uint32_t plays = 0);

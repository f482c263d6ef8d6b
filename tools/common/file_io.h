// Whole-file reading and all-or-nothing writing for the command-line tools.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sftools {

// Reads the whole file; false with a message when it cannot be read or is
// larger than maxBytes (a font, a page or a packed font is never that big).
bool ReadFile(const std::string& path, std::vector<std::uint8_t>* out, std::string* error,
              std::size_t maxBytes = std::size_t{256} << 20);

// Writes bytes to a temporary file beside path and renames it over path, so
// a failure leaves either the old file or nothing, never half a file.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         std::string* error);

}  // namespace sftools

// Reading the font tools' command lines: option values and the message for a
// wrong command line.
#pragma once

#include <cstdint>
#include <string>

// Prints "program: message (see --help)" on standard error and returns 2:
// wrong command lines exit 2 and failed work 1, so scripts can tell them apart.
int CommandLineError(const char* program, const std::string& message);

// Whole numbers in min..max with nothing after them: "12px" is refused.
bool ParseInt(const std::string& text, long min, long max, std::int32_t* out);

// Finite floats only: NaN and infinity are no value a person means.
bool ParseFloat(const std::string& text, float* out);

// RRGGBB in hex, with or without the '#' a web colour has, as 0xRRGGBB.
bool ParseHexColour(const std::string& text, std::uint32_t* out);

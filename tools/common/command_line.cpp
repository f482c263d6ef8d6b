#include "command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

int CommandLineError(const char* program, const std::string& message) {
    std::fprintf(stderr, "%s: %s (see --help)\n", program, message.c_str());
    return 2;
}

bool ParseInt(const std::string& text, long min, long max, std::int32_t* out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || v < min || v > max) return false;
    *out = static_cast<std::int32_t>(v);
    return true;
}

bool ParseFloat(const std::string& text, float* out) {
    char* end = nullptr;
    errno = 0;
    const float v = std::strtof(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

bool ParseHexColour(const std::string& text, std::uint32_t* out) {
    const std::string hex = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    // strtoul alone would take a sign, spaces or a 0x prefix.
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    *out = static_cast<std::uint32_t>(std::strtoul(hex.c_str(), nullptr, 16));
    return true;
}

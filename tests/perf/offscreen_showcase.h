#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform.h"

// The demonstration's start-up on the offscreen screen: font 1 from the
// embedded font, bilinear 3D sprites, the screen installed for the engine.
struct OffscreenShowcase {
    std::unique_ptr<Platform> platform;
    std::unique_ptr<Screen> screen;

    // Null with a message in *error when the screen or the font is missing.
    static std::unique_ptr<OffscreenShowcase> Open(std::string* error);
    ~OffscreenShowcase();

    // Frame t as the capture tool makes it: drawn, finished, read back.
    bool Frame(float t, std::span<std::uint32_t> pixels) noexcept;
};

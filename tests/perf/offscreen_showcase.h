#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform.h"
#include "startup.h"

// The demonstration's start-up on the offscreen screen: font 1 from the
// embedded font, bilinear 3D sprites, the screen installed for the engine.
struct OffscreenShowcase {
    std::unique_ptr<Demonstration> demo;
    Screen* screen = nullptr;

    // Null with a message in *error when the screen or the font is missing.
    static std::unique_ptr<OffscreenShowcase> Open(std::string* error, ScreenBackend backend = ScreenBackend::Gl);

    // Frame t as the capture tool makes it: drawn, finished, read back.
    bool Frame(float t, std::span<std::uint32_t> pixels) noexcept;
};

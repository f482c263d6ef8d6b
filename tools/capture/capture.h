#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform.h"
#include "startup.h"

// The demonstration on the offscreen screen: the same start-up (font 1 from
// the embedded font, bilinear 3D sprites) and the same frame function as the
// window program, with the back buffer read back instead of shown.
class Capturer {
public:
    // Null, with a message in *error, when the offscreen screen cannot open
    // or the font does not load. One per process.
    static std::unique_ptr<Capturer> Open(std::string* error);
    ~Capturer();
    Capturer(const Capturer&) = delete;
    Capturer& operator=(const Capturer&) = delete;

    // Draws frame t (t = 1 is the first frame) and returns its pixels, 0xAARRGGBB.
    const std::vector<std::uint32_t>& Render(float t);
    // Frame t as an RGB PNG, 800 x 600 divided by shrink (1, 2 or 4: each
    // picture pixel the mean of shrink x shrink screen pixels); empty when
    // encoding fails.
    std::vector<std::uint8_t> RenderPng(float t, int shrink = 1);

    Screen& screen() { return *screen_; }

private:
    Capturer() = default;
    std::unique_ptr<Demonstration> demo_;
    Screen* screen_ = nullptr;
    std::vector<std::uint32_t> pixels_;
    std::vector<std::uint32_t> small_;
};


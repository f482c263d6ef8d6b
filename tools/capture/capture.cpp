#include "capture.h"

#include <cstdio>

#include "frame.h"
#include "png_codec.h"
#include "sprite_font.h"

std::unique_ptr<Capturer> Capturer::Open(std::string* error) {
    std::unique_ptr<Capturer> capturer(new Capturer);
    capturer->demo_ = StartDemonstration(StartupOptions{VideoMode::Offscreen}, error);
    if (!capturer->demo_) return nullptr;
    capturer->screen_ = capturer->demo_->screen.get();
    capturer->pixels_.resize(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    return capturer;
}

Capturer::~Capturer() = default;

const std::vector<std::uint32_t>& Capturer::Render(float t) {
    RenderFrame(*screen_, t);
    screen_->Flip();  // finishes the frame, as the window's flip does
    if (!screen_->ReadPixels(pixels_)) pixels_.assign(pixels_.size(), 0);
    return pixels_;
}

std::vector<std::uint8_t> Capturer::RenderPng(float t, int shrink) {
    std::vector<std::uint8_t> png;
    if (shrink != 1 && shrink != 2 && shrink != 4) return png;
    const auto& pixels = Render(t);
    if (shrink == 1) {
        if (!EncodePng(pixels.data(), kScreenWidth, kScreenHeight, false, png)) png.clear();
        return png;
    }
    const int width = kScreenWidth / shrink, height = kScreenHeight / shrink, n = shrink * shrink;
    small_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t sum[3] = {0, 0, 0};
            for (int dy = 0; dy < shrink; ++dy) {
                for (int dx = 0; dx < shrink; ++dx) {
                    const std::uint32_t p =
                        pixels[static_cast<std::size_t>(y * shrink + dy) * kScreenWidth + static_cast<std::size_t>(x * shrink + dx)];
                    for (int c = 0; c < 3; ++c) sum[c] += (p >> (8 * c)) & 0xFF;
                }
            }
            std::uint32_t mean = 0xFF000000;
            for (int c = 0; c < 3; ++c) mean |= ((sum[c] + static_cast<std::uint32_t>(n / 2)) / static_cast<std::uint32_t>(n)) << (8 * c);
            small_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = mean;
        }
    }
    if (!EncodePng(small_.data(), width, height, false, png)) png.clear();
    return png;
}

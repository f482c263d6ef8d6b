// The demonstration's start-up on the offscreen screen up to its first
// finished frame; prints the milliseconds that took, from main on.
#include <chrono>
#include <cstdio>
#include <vector>

#include "demo_font.h"
#include "frame.h"
#include "platform.h"

int main() {
    const auto start = std::chrono::steady_clock::now();
    PlatformStatus status;
    auto platform = Platform::Start(VideoMode::Offscreen, &status);
    if (!platform) return 1;
    auto screen = platform->OpenOffscreenScreen(&status);
    if (!screen) return 1;
    InitSpriteFonts();
    screen->SetSprite3DQuality(1);
    screen->EnablePngDecoder();
    SetSpritePlatform(screen.get());
    LoadSpriteFont(1, kDemoFont, kDemoFontSize);
    RenderFrame(*screen, 1.0f);
    screen->Flip();
    // The readback waits until the frame is filled.
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    const bool read = screen->ReadPixels(pixels);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    SetSpritePlatform(nullptr);
    if (!read) return 1;
    std::printf("first_frame_ms %.3f\n", ms);
    return 0;
}

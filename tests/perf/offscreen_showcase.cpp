#include "offscreen_showcase.h"

#include "frame.h"

std::unique_ptr<OffscreenShowcase> OffscreenShowcase::Open(std::string* error, ScreenBackend backend) {
    auto showcase = std::make_unique<OffscreenShowcase>();
    showcase->demo = StartDemonstration(StartupOptions{VideoMode::Offscreen, true, backend}, error);
    if (!showcase->demo) return nullptr;
    showcase->screen = showcase->demo->screen.get();
    return showcase;
}

bool OffscreenShowcase::Frame(float t, std::span<std::uint32_t> pixels) noexcept {
    RenderFrame(*screen, t);
    screen->Flip();
    return screen->ReadPixels(pixels);
}

#include "offscreen_showcase.h"

#include "demo_font.h"
#include "frame.h"

std::unique_ptr<OffscreenShowcase> OffscreenShowcase::Open(std::string* error) {
    auto showcase = std::make_unique<OffscreenShowcase>();
    PlatformStatus status;
    showcase->platform = Platform::Start(VideoMode::Offscreen, &status);
    if (showcase->platform) showcase->screen = showcase->platform->OpenOffscreenScreen(&status);
    if (!showcase->screen) {
        *error = std::string(PlatformErrorMessage(status.error)) + " " + status.detail;
        return nullptr;
    }
    InitSpriteFonts();
    showcase->screen->SetSprite3DQuality(1);
    showcase->screen->EnablePngDecoder();
    SetSpritePlatform(showcase->screen.get());
    LoadSpriteFont(1, kDemoFont, kDemoFontSize);
    const SpriteFont* font = GetSpriteFont(1);
    if (font == nullptr || font->sprite3D == 0) {
        *error = "the embedded font did not load";
        return nullptr;
    }
    return showcase;
}

OffscreenShowcase::~OffscreenShowcase() {
    if (GetSpritePlatform() == screen.get()) SetSpritePlatform(nullptr);
    screen.reset();
    platform.reset();
}

bool OffscreenShowcase::Frame(float t, std::span<std::uint32_t> pixels) noexcept {
    RenderFrame(*screen, t);
    screen->Flip();
    return screen->ReadPixels(pixels);
}

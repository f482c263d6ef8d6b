#include "startup.h"

#include "demo_font.h"
#include "sprite_font.h"

namespace {

std::unique_ptr<Demonstration> Failed(const char* step, const PlatformStatus& status, std::string* error) {
    *error = std::string(step) + ": " + PlatformErrorMessage(status.error);
    if (!status.detail.empty()) *error += " (" + status.detail + ")";
    return nullptr;
}

}  // namespace

Demonstration::~Demonstration() {
    if (screen && GetSpritePlatform() == screen.get()) SetSpritePlatform(nullptr);
    screen.reset();
    window.reset();
    platform.reset();
}

std::unique_ptr<Demonstration> StartDemonstration(const StartupOptions& options, std::string* error) {
    auto demo = std::make_unique<Demonstration>();
    PlatformStatus status;
    demo->platform = Platform::Start(options.mode, &status);
    if (!demo->platform) return Failed("cannot start the video system", status, error);
    InitSpriteFonts();
    if (options.mode == VideoMode::Window) {
        demo->window = demo->platform->OpenWindow(&status);
        if (!demo->window) return Failed("cannot open the window", status, error);
        demo->screen = demo->platform->OpenWindowedScreen(*demo->window, &status, options.backend);
    } else {
        demo->screen = demo->platform->OpenOffscreenScreen(&status, options.backend);
    }
    if (!demo->screen) return Failed("cannot open the screen", status, error);
    demo->screen->SetSprite3DQuality(1);
    demo->screen->EnablePngDecoder();
    SetSpritePlatform(demo->screen.get());
    if (!options.loadDemoFont) return demo;
    LoadSpriteFont(1, kDemoFont, kDemoFontSize);
    const SpriteFont* font = GetSpriteFont(1);
    if (font == nullptr || font->sprite3D == 0) {
        *error = "the embedded font did not load";
        return nullptr;
    }
    return demo;
}

// The demonstration: one window, the embedded font as font 1, and a frame
// loop that draws the showcase until the window is closed.
#include <cstdio>
#include <cstdlib>

#include "demo_font.h"
#include "frame.h"
#include "platform.h"
#include "sprite_font.h"

namespace {

// A start-up step that fails ends the program with 1, not 0: a window that
// never appeared must not look like a clean run.
int StartupFailed(const char* step, const PlatformStatus& status) {
    std::fprintf(stderr, "spritefont_demo: %s: %s", step, PlatformErrorMessage(status.error));
    if (!status.detail.empty()) std::fprintf(stderr, " (%s)", status.detail.c_str());
    std::fputc('\n', stderr);
    return EXIT_FAILURE;
}

int Run() {
    PlatformStatus status;
    auto platform = Platform::Start(VideoMode::Window, &status);
    if (!platform) return StartupFailed("cannot start the video system", status);
    InitSpriteFonts();
    auto window = platform->OpenWindow(&status);
    if (!window) return StartupFailed("cannot open the window", status);
    auto screen = platform->OpenWindowedScreen(*window, &status);
    if (!screen) return StartupFailed("cannot open the screen", status);
    screen->SetSprite3DQuality(1);
    screen->EnablePngDecoder();

    SetSpritePlatform(screen.get());
    LoadSpriteFont(1, kDemoFont, kDemoFontSize);
    const SpriteFont* font = GetSpriteFont(1);
    if (!font || font->sprite3D == 0) {
        SetSpritePlatform(nullptr);
        std::fprintf(stderr, "spritefont_demo: the embedded font did not load\n");
        return EXIT_FAILURE;
    }

    float t = 0.0f;
    for (;;) {
        const std::int32_t lastEvent = window->PollEvent();
        // The window wants the last frame again before the next is drawn.
        if (lastEvent == EventRepaint) screen->Repaint();
        t += 1.0f;
        RenderFrame(*screen, t);
        screen->Flip();
        // The frame whose poll brought the close request is still shown.
        if (lastEvent == EventClose) break;
    }

    SetSpritePlatform(nullptr);
    screen.reset();
    window.reset();
    platform.reset();
    return EXIT_SUCCESS;
}

}  // namespace

int main() { return Run(); }

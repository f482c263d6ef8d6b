// text_paths: an SDL program with its own window, renderer and loop that
// sets text along paths through SpriteFont: a round badge (text round a
// circle, reading upright along its bottom too) and a line riding a wave of
// Bézier curves.
//
//   text_paths [FONT.sf3d] [--frames N] [--check] [--save FILE.png]
//
// Runs until the window is closed, or for N frames. --check reads the first
// frame back and exits 1 unless the badge and the wave both left ink on it;
// --save writes that frame as a PNG.
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "png_codec.h"
#include "sdl_renderer_screen.h"
#include "sprite_font.h"

namespace {

constexpr float kBadgeX = 400.0f, kBadgeY = 225.0f;

// The wave: three cubic curves across the lower part of the window, their
// control points swaying with the frame.
void Wave(float t, TextPathPoint out[10]) {
    const float sway = 60.0f * std::sin(t * 0.05f);
    const float y = 505.0f;
    const TextPathPoint points[10] = {
        {10, y},          {100, y - 90 - sway}, {190, y + 90 + sway}, {280, y},
        {370, y - 90 + sway}, {460, y + 90 - sway}, {550, y},
        {640, y - 90 - sway}, {720, y + 90 + sway}, {795, y},
    };
    for (int i = 0; i < 10; ++i) out[i] = points[i];
}

void Frame(FontId id, float t) {
    // The badge: a title over the top, clockwise, centred on the top point;
    // a motto along the bottom, upright, centred on the bottom point and
    // set on a larger circle so that both sit in one ring; dots round the
    // inside and the outside of the ring, spread evenly.
    DrawSpriteFontTextOnPathUtf8(id, "SPRITE FONT", TextPath::Circle(kBadgeX, kBadgeY, 120, -90), 0.0f,
                                 TextAlignCenter, -1.0f, 1.0f);
    DrawSpriteFontTextOnPathUtf8(id, "along any path", TextPath::Circle(kBadgeX, kBadgeY, 152, 90, true, true), 0.0f,
                                 TextAlignCenter, -1.0f, 0.8f);
    DrawSpriteFontTextOnPathUtf8(id, std::string(40, '.').c_str(),
                                 TextPath::Circle(kBadgeX, kBadgeY, 98, -90), t, TextAlignJustify, 160.0f, 1.0f);
    DrawSpriteFontTextOnPathUtf8(id, std::string(56, '.').c_str(),
                                 TextPath::Circle(kBadgeX, kBadgeY, 168, -90), -t, TextAlignJustify, 160.0f, 1.0f);
    // In the badge's middle, the engine's own arc: a turned line.
    SetSpriteFontStyle(id, StyleAlignX, 0.5f);
    SetSpriteFontStyle(id, StyleRotation, -12.0f);
    DrawSpriteFontTextUtf8(id, static_cast<std::int32_t>(kBadgeX), static_cast<std::int32_t>(kBadgeY) - 22,
                           "No. 1", -1.0f, 1.0f);
    SetSpriteFontStyle(id, StyleAlignX, 0.0f);
    SetSpriteFontStyle(id, StyleRotation, 0.0f);

    // The wave, and the text riding it, moving along with the frame.
    TextPathPoint wave[10];
    Wave(t, wave);
    const TextPath path = TextPath::Bezier(wave, 10);
    const char* const ride = "Grüße, die auf Wellen reiten, kommen an";
    const float room = TextPathLength(path) - SpriteFontTextPathLength(id, ride, 1.2f);
    const float along = room > 0.0f ? std::fmod(t * 2.0f, room) : 0.0f;
    DrawSpriteFontTextOnPathUtf8(id, ride, path, along, TextAlignLeft, -1.0f, 1.2f);
}

}  // namespace

int main(int argc, char** argv) {
    const char* fontPath = DEFAULT_FONT;
    long frames = -1;
    bool check = false;
    const char* savePath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) frames = std::strtol(argv[++i], nullptr, 10);
        else if (std::strcmp(argv[i], "--check") == 0) check = true;
        else if (std::strcmp(argv[i], "--save") == 0 && i + 1 < argc) savePath = argv[++i];
        else fontPath = argv[i];
    }
    std::ifstream file(fontPath, std::ios::binary);
    const std::vector<char> font((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (font.empty()) {
        std::fprintf(stderr, "text_paths: cannot read %s\n", fontPath);
        return 1;
    }

    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "text_paths: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("text_paths", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600, 0);
    SDL_Renderer* renderer =
        window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC) : nullptr;
    PlatformStatus status;
    auto screen = OpenScreenOnRenderer(renderer, &status);
    if (!screen) {
        std::fprintf(stderr, "text_paths: %s (%s)\n", PlatformErrorMessage(status.error), status.detail.c_str());
        return 1;
    }
    screen->SetSprite3DQuality(1);
    screen->EnablePngDecoder();

    InitSpriteFonts();
    SetSpritePlatform(screen.get());
    const FontId id = LoadSpriteFont(1, font.data(), font.size());

    int badgeInk = 0, waveInk = 0;
    for (long frame = 0; frames < 0 || frame < frames; ++frame) {
        SDL_Event event;
        bool quit = false;
        while (SDL_PollEvent(&event)) quit |= event.type == SDL_QUIT;
        if (quit) break;

        SDL_SetRenderDrawColor(renderer, 250, 248, 240, 255);
        SDL_RenderClear(renderer);
        screen->BeginSprite3D();
        Frame(id, static_cast<float>(frame));
        screen->EndSprite3D();
        if ((check || savePath) && frame == 0) {
            const std::vector<std::uint32_t> pixels = screen->ReadPixels();
            for (std::size_t i = 0; i < pixels.size(); ++i) {
                if ((pixels[i] & 0xFFFFFF) == 0xFAF8F0) continue;
                (i / 800 < 410 ? badgeInk : waveInk) += 1;
            }
            std::vector<std::uint8_t> png;
            if (savePath && !pixels.empty() && EncodePng(pixels.data(), 800, 600, false, png)) {
                std::ofstream(savePath, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                                                static_cast<std::streamsize>(png.size()));
            }
        }
        SDL_RenderPresent(renderer);
    }

    SetSpritePlatform(nullptr);
    screen.reset();
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    if (check) {
        std::printf("text_paths: %d pixels of ink on the badge, %d on the wave\n", badgeInk, waveInk);
        return badgeInk > 3000 && waveInk > 1000 ? 0 : 1;
    }
    return 0;
}

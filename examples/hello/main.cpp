// hello_text: an SDL program with its own window, renderer and loop that
// draws a line of text with a packed font through SpriteFont.
//
//   hello_text [FONT.sf3d] [--frames N] [--check] [--save FILE.png]
//
// Runs until the window is closed, or for N frames. --check reads the first
// frame back and exits 1 unless the text left ink on it; --save writes it.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "png_codec.h"
#include "sdl_renderer_screen.h"
#include "sprite_font.h"

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
        std::fprintf(stderr, "hello_text: cannot read %s\n", fontPath);
        return 1;
    }

    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "hello_text: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("hello_text", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600, 0);
    SDL_Renderer* renderer =
        window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC) : nullptr;
    PlatformStatus status;
    auto screen = OpenScreenOnRenderer(renderer, &status);
    if (!screen) {
        std::fprintf(stderr, "hello_text: %s (%s)\n", PlatformErrorMessage(status.error), status.detail.c_str());
        return 1;
    }
    screen->SetSprite3DQuality(1);
    screen->EnablePngDecoder();

    // The engine draws through the screen; the font is read from memory.
    InitSpriteFonts();
    SetSpritePlatform(screen.get());
    const FontId id = LoadSpriteFont(1, font.data(), font.size());
    // Centred on (400, 300), rising gently.
    SetSpriteFontStyle(id, StyleAlignX, 0.5f);
    SetSpriteFontStyle(id, StyleAlignY, 0.5f);
    SetSpriteFontStyle(id, StyleRotation, -8.0f);

    int ink = 0;
    for (long frame = 0; frames < 0 || frame < frames; ++frame) {
        SDL_Event event;
        bool quit = false;
        while (SDL_PollEvent(&event)) quit |= event.type == SDL_QUIT;
        if (quit) break;

        SDL_SetRenderDrawColor(renderer, 250, 248, 240, 255);
        SDL_RenderClear(renderer);
        screen->BeginSprite3D();
        DrawSpriteFontTextUtf8(id, 400, 300, "Grüße from your own renderer", -1.0f, 1.0f);
        screen->EndSprite3D();
        if ((check || savePath) && frame == 0) {
            const std::vector<std::uint32_t> pixels = screen->ReadPixels();
            for (std::uint32_t p : pixels) ink += (p & 0xFFFFFF) != 0xFAF8F0;
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
        std::printf("hello_text: %d pixels of ink\n", ink);
        return ink > 1000 ? 0 : 1;
    }
    return 0;
}

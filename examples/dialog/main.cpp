// dialog_box: a game's dialogue box drawn with SpriteFont's text blocks:
// the speaker's name in one tint, then the line wrapped to the box,
// justified, kerned, in another tint, cut to three lines with an ellipsis.
//
//   dialog_box [FONT.sf3d] [--frames N] [--check] [--save FILE.png]
//
// Runs until the window is closed, or for N frames. --check reads the first
// frame back and exits 1 unless the box holds text of both tints and the
// text stays inside the box; --save writes the frame as PNG.
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

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr SDL_Rect kBox{60, 340, 680, 220};
constexpr int kPadding = 24;
constexpr std::uint32_t kNameTint = 0x40C8F0;  // 0xBBGGRR: warm gold
constexpr std::uint32_t kTextTint = 0xE8F4FF;  // a cream white
constexpr std::uint32_t kBoxColor = 0x182840;  // deep blue, as ReadPixels gives it (0xRRGGBB)

const char* const kSpeaker = "Wächterin Ysolde";
const char* const kLine =
    "Halt, traveller! Nobody passes the Vault of Tears without a token of the old kingdom. "
    "I have waited at this gate for twenty winters, and every wanderer before you swore, "
    "just as you are about to swear, that the token was lost on the way. Turn back now, "
    "or show me what you carry.";

std::vector<char> ReadFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
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
    const std::vector<char> font = ReadFile(fontPath);
    if (font.empty()) {
        std::fprintf(stderr, "dialog_box: cannot read %s\n", fontPath);
        return 1;
    }

    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "dialog_box: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window =
        SDL_CreateWindow("dialog_box", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth, kHeight, 0);
    SDL_Renderer* renderer =
        window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC) : nullptr;
    PlatformStatus status;
    auto screen = OpenScreenOnRenderer(renderer, &status);
    if (!screen) {
        std::fprintf(stderr, "dialog_box: %s (%s)\n", PlatformErrorMessage(status.error), status.detail.c_str());
        return 1;
    }
    screen->SetSprite3DQuality(1);
    screen->EnablePngDecoder();

    InitSpriteFonts();
    SetSpritePlatform(screen.get());
    const FontId id = LoadSpriteFont(1, font.data(), font.size());

    // Large fonts (the demonstration's is 64-pixel art) are scaled to a
    // dialogue's size: about 26 pixels from one baseline to the next.
    SpriteFontMetrics metrics{};
    GetSpriteFontMetrics(id, &metrics);
    const float size = metrics.lineHeight > 0 ? 26.0f / static_cast<float>(metrics.lineHeight) : 1.0f;

    TextBlock name;
    TextBlock body;
    body.wrapWidth = kBox.w - 2 * kPadding;
    body.align = TextAlignJustify;
    body.lineSpacing = 1.15f;
    body.maxLines = 4;
    body.kerning = true;

    int nameInk = 0, textInk = 0, outside = 0;
    for (long frame = 0; frames < 0 || frame < frames; ++frame) {
        SDL_Event event;
        bool quit = false;
        while (SDL_PollEvent(&event)) quit |= event.type == SDL_QUIT;
        if (quit) break;

        SDL_SetRenderDrawColor(renderer, 30, 34, 44, 255);
        SDL_RenderClear(renderer);
        SDL_SetRenderDrawColor(renderer, 0x18, 0x28, 0x40, 255);
        SDL_RenderFillRect(renderer, &kBox);
        SDL_SetRenderDrawColor(renderer, 0xC8, 0xB0, 0x60, 255);
        SDL_RenderDrawRect(renderer, &kBox);

        screen->BeginSprite3D();
        // (x, y) is where a line's glyphs hang from, as in single-line drawing.
        const int left = kBox.x + kPadding;
        const int top = kBox.y + kPadding / 2;
        SetSpriteFontColor(id, kNameTint);
        DrawSpriteFontBlockUtf8(id, left, top, kSpeaker, -1.0f, size, name);
        SetSpriteFontColor(id, kTextTint);
        DrawSpriteFontBlockUtf8(id, left, top + static_cast<int>(1.5f * 26.0f), kLine, -1.0f, size, body);
        screen->EndSprite3D();

        if ((check || savePath) && frame == 0) {
            const std::vector<std::uint32_t> pixels = screen->ReadPixels();
            for (int y = 0; y < kHeight && !pixels.empty(); ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    const std::uint32_t p = pixels[static_cast<std::size_t>(y) * kWidth + x] & 0xFFFFFF;
                    const bool inBox = x > kBox.x && x < kBox.x + kBox.w - 1 && y > kBox.y && y < kBox.y + kBox.h - 1;
                    const int r = static_cast<int>(p >> 16 & 0xFF), g = static_cast<int>(p >> 8 & 0xFF),
                              b = static_cast<int>(p & 0xFF);
                    if (!inBox) {
                        outside += (p != 0x1E222C) && !(x >= kBox.x && x < kBox.x + kBox.w && y >= kBox.y &&
                                                        y < kBox.y + kBox.h);
                        continue;
                    }
                    if (p == kBoxColor) continue;
                    // Gold has much more red than blue; cream is nearly grey-white.
                    if (r > b + 60) ++nameInk;
                    else if (b > 0x60) ++textInk;
                }
            }
            std::vector<std::uint8_t> png;
            if (savePath && !pixels.empty() && EncodePng(pixels.data(), kWidth, kHeight, false, png))
                std::ofstream(savePath, std::ios::binary)
                    .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
        }
        SDL_RenderPresent(renderer);
    }

    SetSpritePlatform(nullptr);
    screen.reset();
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    if (check) {
        std::printf("dialog_box: %d pixels of name, %d of text, %d outside the box\n", nameInk, textInk, outside);
        return nameInk > 200 && textInk > 2000 && outside == 0 ? 0 : 1;
    }
    return 0;
}

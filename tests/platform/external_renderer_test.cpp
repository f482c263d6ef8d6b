// The platform over a renderer the application owns: it draws into the
// application's current target, leaves the target alone, and does not
// destroy the renderer.
#include <SDL.h>

#include <gtest/gtest.h>

#include "png_codec.h"
#include "sdl_renderer_screen.h"

TEST(ExternalRenderer, NullRendererIsRefused) {
    PlatformStatus status;
    EXPECT_EQ(OpenScreenOnRenderer(nullptr, &status), nullptr);
    EXPECT_EQ(status.error, PlatformError::NoRenderer);
    EXPECT_EQ(OpenScreenOnRenderer(nullptr), nullptr);
}

TEST(ExternalRenderer, DrawsIntoTheApplicationsTargetAndLeavesItSet) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_Window* window = SDL_CreateWindow("t", 0, 0, 800, 600, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
    ASSERT_NE(renderer, nullptr) << SDL_GetError();
    SDL_Texture* target = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, 800, 600);
    ASSERT_EQ(SDL_SetRenderTarget(renderer, target), 0);
    SDL_SetRenderDrawColor(renderer, 0, 0, 255, 255);
    SDL_RenderClear(renderer);  // the application's own content

    auto screen = OpenScreenOnRenderer(renderer);
    ASSERT_NE(screen, nullptr);
    screen->EnablePngDecoder();
    const std::vector<std::uint32_t> red(4, 0xFFFF0000);
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(EncodePng(red.data(), 2, 2, true, png));
    const SpriteHandle quad = screen->CreateSprite3D(AutoHandle, screen->CreateSprite(AutoHandle, png.data(), png.size(), 12));
    ASSERT_NE(quad, 0);
    screen->BeginSprite3D();
    screen->DisplaySprite3D(quad, 10, 20, 255);
    screen->EndSprite3D();
    EXPECT_EQ(SDL_GetRenderTarget(renderer), target);
    // The batch's end hands the quads to the renderer: the application reads
    // (or presents) them without asking the screen.
    std::vector<std::uint32_t> pixels(800u * 600u);
    ASSERT_EQ(SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), 800 * 4), 0);
    EXPECT_EQ(pixels[20 * 800 + 10], 0xFFFF0000u);
    EXPECT_EQ(pixels[21 * 800 + 11], 0xFFFF0000u);
    EXPECT_EQ(pixels[22 * 800 + 12], 0xFF0000FFu);  // the application's clear is still there
    EXPECT_EQ(pixels[0], 0xFF0000FFu);
    EXPECT_TRUE(screen->ReadPixels() == pixels);
    screen.reset();
    // The renderer is still the application's and still works.
    EXPECT_EQ(SDL_RenderClear(renderer), 0);
    SDL_DestroyTexture(target);
    // The renderer, its window and SDL stay up until the process ends: shutting
    // SDL down unloads the GL driver, and the leak checker of sanitizer builds
    // then fails on the driver's vanished code.
}

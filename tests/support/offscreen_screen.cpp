#include "offscreen_screen.h"

std::string OpenOffscreen(std::unique_ptr<Platform>& platform, std::unique_ptr<Screen>& screen) {
    PlatformStatus status;
    platform = Platform::Start(VideoMode::Offscreen, &status);
    if (platform) screen = platform->OpenOffscreenScreen(&status);
    if (screen) return {};
    return std::string(PlatformErrorMessage(status.error)) + ": " + status.detail;
}

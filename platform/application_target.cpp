// The application's renderer as a target: the screen draws into whatever
// target the application has set, and a flip presents its renderer.
#include <new>

#include "screen_target.h"
#include "sdl_renderer_backend.h"
#include "sdl_renderer_screen.h"

namespace {

class ApplicationTarget final : public ScreenTarget {
public:
    explicit ApplicationTarget(SDL_Window* window) : window_(window) {}
    SDL_Window* Window() const noexcept override { return window_; }
    bool HasBackBuffer() const noexcept override { return false; }
    void Show(RenderBackend& backend) noexcept override { backend.Present(); }

private:
    SDL_Window* window_;
};

}  // namespace

std::unique_ptr<ScreenTarget> CreateApplicationTarget(SDL_Renderer* renderer) {
    try {
        return std::make_unique<ApplicationTarget>(renderer ? SDL_RenderGetWindow(renderer) : nullptr);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::unique_ptr<Screen> OpenScreenOnRenderer(SDL_Renderer* renderer, PlatformStatus* status) {
    PlatformStatus ignored;
    if (status == nullptr) status = &ignored;
    std::unique_ptr<RenderBackend> backend = CreateSdlRendererBackendOn(renderer, status);
    if (!backend) return nullptr;
    return CreateScreen(CreateApplicationTarget(renderer), std::move(backend), status);
}

// The offscreen target: no window to show in. A flip still finishes the
// frame: with nothing holding it back, the GL driver keeps queueing frames
// it has not drawn yet and its memory grows without end.
#include <new>

#include "screen_target.h"

namespace {

struct WindowDeleter {
    void operator()(SDL_Window* window) const noexcept { SDL_DestroyWindow(window); }
};

class OffscreenTarget final : public ScreenTarget {
public:
    explicit OffscreenTarget(SDL_Window* window) : window_(window) {}
    SDL_Window* Window() const noexcept override { return window_.get(); }
    void Show(RenderBackend& backend) noexcept override { backend.Finish(); }

private:
    std::unique_ptr<SDL_Window, WindowDeleter> window_;
};

}  // namespace

std::unique_ptr<ScreenTarget> CreateOffscreenTarget(PlatformStatus* status) {
    // The offscreen video driver still wants a window to hang the GL context on.
    SDL_Window* window = SDL_CreateWindow("SCREEN", 0, 0, kScreenWidth, kScreenHeight,
                                          SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
    if (!window) {
        status->error = PlatformError::WindowCreate;
        status->detail = SDL_GetError();
        return nullptr;
    }
    try {
        return std::make_unique<OffscreenTarget>(window);
    } catch (const std::bad_alloc&) {
        SDL_DestroyWindow(window);
        return nullptr;
    }
}

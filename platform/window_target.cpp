// The window target: a flip presents the back buffer in step with the
// display's retrace, or paced to its refresh rate where presents do not wait.
#include <chrono>
#include <new>
#include <thread>

#include "frame_pacer.h"
#include "screen_target.h"

namespace {

// The window's property naming the screen in it: one screen per window.
constexpr const char* kScreenProperty = "spritefont.screen";

class WindowTarget final : public ScreenTarget {
public:
    explicit WindowTarget(SDL_Window* window) : window_(window) { SDL_SetWindowData(window, kScreenProperty, this); }
    ~WindowTarget() override { SDL_SetWindowData(window_, kScreenProperty, nullptr); }

    SDL_Window* Window() const noexcept override { return window_; }
    void Attach(RenderBackend& backend) noexcept override {
        SDL_DisplayMode mode{};
        double hz = 0.0;
        if (SDL_GetWindowDisplayMode(window_, &mode) == 0) hz = mode.refresh_rate;
        if (hz <= 0.0 && SDL_GetCurrentDisplayMode(SDL_GetWindowDisplayIndex(window_), &mode) == 0)
            hz = mode.refresh_rate;
        pacer_.Configure(hz, !backend.PresentWaitsForRetrace());
    }
    void Show(RenderBackend& backend) noexcept override {
        using Clock = std::chrono::steady_clock;
        const auto nanos = [] {
            return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
        };
        // Sleeping before the present spaces the presents evenly.
        const std::int64_t delay = pacer_.DelayBeforePresent(nanos());
        if (delay > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(delay));
        backend.Present();
        pacer_.ObservePresent(nanos());
    }
    void Repaint(RenderBackend& backend) noexcept override { backend.Present(); }
    bool SelfPaced() const noexcept override { return pacer_.Active(); }
    double RefreshRate() const noexcept override { return pacer_.RefreshHz(); }

private:
    SDL_Window* window_;
    FramePacer pacer_;
};

}  // namespace

std::unique_ptr<ScreenTarget> CreateWindowTarget(SDL_Window* window, PlatformStatus* status) {
    if (SDL_GetWindowData(window, kScreenProperty) != nullptr) {
        status->error = PlatformError::AlreadyOpen;
        status->detail.clear();
        return nullptr;
    }
    try {
        return std::make_unique<WindowTarget>(window);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

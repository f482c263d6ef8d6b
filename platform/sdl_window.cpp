// SDL's video start-up, the window and its event poll.
#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "gl_backend.h"
#include "screen_target.h"
#include "sdl_renderer_backend.h"

namespace {

bool platformStarted = false;
bool windowOpen = false;

// Only what the program acts on may enter the queue: the close request and
// the expose. Everything else (mouse motion above all) is dropped as SDL
// produces it, so a close is never stuck behind a flood of other events.
int KeepActedOnEvents(void*, SDL_Event* event) {
    if (event->type == SDL_QUIT) return 1;
    if (event->type == SDL_WINDOWEVENT)
        return event->window.event == SDL_WINDOWEVENT_CLOSE ||
               event->window.event == SDL_WINDOWEVENT_EXPOSED;
    return 0;
}

void IgnoreNoisyEvents() {
    // The filter would drop these too; switched off, SDL does not even build them.
    for (Uint32 type : {SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_MOUSEWHEEL,
                        SDL_KEYDOWN, SDL_KEYUP, SDL_TEXTINPUT, SDL_TEXTEDITING, SDL_FINGERDOWN,
                        SDL_FINGERUP, SDL_FINGERMOTION, SDL_DROPFILE, SDL_DROPTEXT,
                        SDL_DROPBEGIN, SDL_DROPCOMPLETE, SDL_SYSWMEVENT, SDL_KEYMAPCHANGED})
        SDL_EventState(type, SDL_IGNORE);
}

bool IsHeadlessDriver(const char* name) {
    return name && (std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0 ||
                    std::strcmp(name, "evdev") == 0);
}

struct SdlWindowDeleter {
    void operator()(SDL_Window* window) const noexcept { SDL_DestroyWindow(window); }
};
using SdlWindowPtr = std::unique_ptr<SDL_Window, SdlWindowDeleter>;

class SdlWindow final : public PlatformWindow {
public:
    explicit SdlWindow(SdlWindowPtr window) : window_(std::move(window)) {}
    ~SdlWindow() override { windowOpen = false; }

    // SDL_PollEvent gathers what the X server sent (through the filter) and
    // hands back the oldest event: one per call, never waiting.
    std::int32_t PollEvent() noexcept override {
        SDL_Event event;
        if (!SDL_PollEvent(&event)) return EventNone;
        // SDL turns the last window's close and SIGINT/SIGTERM into SDL_QUIT.
        if (event.type == SDL_QUIT) return EventClose;
        if (event.type == SDL_WINDOWEVENT) {
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) return EventClose;
            if (event.window.event == SDL_WINDOWEVENT_EXPOSED) return EventRepaint;
        }
        return EventNone;
    }
    void* SystemHandle() noexcept override { return window_.get(); }

    SDL_Window* Get() const noexcept { return window_.get(); }

private:
    SdlWindowPtr window_;
};

template <typename T>
std::unique_ptr<T> Fail(PlatformStatus* status, PlatformError error, const char* detail) {
    if (status) {
        status->error = error;
        status->detail = detail ? detail : "";
    }
    return nullptr;
}

}  // namespace

const char* PlatformErrorMessage(PlatformError error) noexcept {
    switch (error) {
    case PlatformError::Ok: return "no error";
    case PlatformError::NoDisplay: return "no display to open the window on (is DISPLAY set?)";
    case PlatformError::VideoInit: return "the video system could not start";
    case PlatformError::WindowCreate: return "the window could not be created";
    case PlatformError::NoRenderer: return "no accelerated renderer is available";
    case PlatformError::TargetTexture: return "the screen's back buffer could not be created";
    case PlatformError::AlreadyOpen: return "the platform is already open";
    }
    return "unknown platform error";
}

std::unique_ptr<Platform> Platform::Start(VideoMode mode, PlatformStatus* status) {
    if (platformStarted) return Fail<Platform>(status, PlatformError::AlreadyOpen, nullptr);
    // Offscreen takes SDL's offscreen driver (EGL, no X server); a window
    // takes whatever real display SDL finds, but never a headless driver.
    if (mode == VideoMode::Offscreen) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    } else if (IsHeadlessDriver(std::getenv("SDL_VIDEODRIVER"))) {
        return Fail<Platform>(status, PlatformError::NoDisplay,
                              "SDL_VIDEODRIVER names a driver without a display");
    }
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    // For a window, a video start-up failure almost always means no display.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return Fail<Platform>(status,
                              mode == VideoMode::Window ? PlatformError::NoDisplay
                                                        : PlatformError::VideoInit,
                              SDL_GetError());
    // With no X server SDL may fall back to a driver that shows nothing; the
    // window program would then run unseen forever.
    if (mode == VideoMode::Window && IsHeadlessDriver(SDL_GetCurrentVideoDriver())) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return Fail<Platform>(status, PlatformError::NoDisplay, "only a headless video driver");
    }
    if (mode == VideoMode::Window) {
        IgnoreNoisyEvents();
        SDL_SetEventFilter(KeepActedOnEvents, nullptr);
    }
    platformStarted = true;
    return std::unique_ptr<Platform>(new Platform(mode));
}

// Screens and windows must be gone by now: SDL_Quit frees what they hold.
Platform::~Platform() {
    SDL_SetEventFilter(nullptr, nullptr);
    SDL_Quit();
    platformStarted = false;
}

const char* Platform::VideoDriver() const noexcept {
    const char* name = SDL_GetCurrentVideoDriver();
    return name ? name : "";
}

std::unique_ptr<PlatformWindow> Platform::OpenWindow(PlatformStatus* status) {
    if (mode_ != VideoMode::Window)
        return Fail<PlatformWindow>(status, PlatformError::NoDisplay, "the platform runs offscreen");
    if (windowOpen) return Fail<PlatformWindow>(status, PlatformError::AlreadyOpen, nullptr);
    // No SDL_WINDOW_RESIZABLE: SDL then pins the size hints to 800 x 600.
    SdlWindowPtr window(SDL_CreateWindow("SCREEN", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                         kScreenWidth, kScreenHeight,
                                         SDL_WINDOW_SHOWN | SDL_WINDOW_OPENGL));
    if (!window) return Fail<PlatformWindow>(status, PlatformError::WindowCreate, SDL_GetError());
    windowOpen = true;
    return std::make_unique<SdlWindow>(std::move(window));
}

namespace {

// Our own GL renderer; SDL's renderer where a GL 3.3 context cannot be had.
std::unique_ptr<Screen> OpenScreen(std::unique_ptr<ScreenTarget> target, ScreenBackend choice, bool window,
                                   PlatformStatus* status) {
    if (!target) return nullptr;
    std::unique_ptr<RenderBackend> backend;
    if (choice == ScreenBackend::Gl) backend = CreateGlBackend(target->Window(), window, status);
    if (!backend) backend = CreateSdlRendererBackend(target->Window(), window, status);
    if (!backend) return nullptr;
    *status = PlatformStatus{};
    return CreateScreen(std::move(target), std::move(backend), status);
}

}  // namespace

std::unique_ptr<Screen> Platform::OpenWindowedScreen(PlatformWindow& window, PlatformStatus* status,
                                                     ScreenBackend backend) {
    PlatformStatus local;
    PlatformStatus* out = status ? status : &local;
    auto* sdlWindow = static_cast<SdlWindow*>(&window);
    return OpenScreen(CreateWindowTarget(sdlWindow->Get(), out), backend, true, out);
}

std::unique_ptr<Screen> Platform::OpenOffscreenScreen(PlatformStatus* status, ScreenBackend backend) {
    PlatformStatus local;
    PlatformStatus* out = status ? status : &local;
    if (mode_ != VideoMode::Offscreen)
        return Fail<Screen>(out, PlatformError::VideoInit, "the platform runs with a window");
    return OpenScreen(CreateOffscreenTarget(out), backend, false, out);
}

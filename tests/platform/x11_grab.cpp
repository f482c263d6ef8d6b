#include "x11_grab.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>

bool GrabX11Window(void* sdlWindow, std::vector<std::uint32_t>& out) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdlWindow), &info) ||
        info.subsystem != SDL_SYSWM_X11)
        return false;
    // SDL's own connection: its requests (the present) are done after the sync.
    XSync(info.info.x11.display, False);
    XImage* image =
        XGetImage(info.info.x11.display, info.info.x11.window, 0, 0, 800, 600, AllPlanes, ZPixmap);
    if (!image) return false;
    // XGetPixel copes with whatever visual layout the server chose.
    out.assign(800 * 600, 0);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            out[static_cast<std::size_t>(y) * 800 + x] =
                static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu;
    XDestroyImage(image);
    return true;
}

bool ExposeX11Window(void* sdlWindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdlWindow), &info) ||
        info.subsystem != SDL_SYSWM_X11)
        return false;
    // Background None keeps the pixels; True asks for the Expose event.
    XClearArea(info.info.x11.display, info.info.x11.window, 0, 0, 0, 0, True);
    XFlush(info.info.x11.display);
    return true;
}

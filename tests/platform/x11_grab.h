// Reads what an SDL window shows on its X server. Kept apart from the
// platform header: Xlib's Screen and Window types would collide with ours.
#pragma once

#include <cstdint>
#include <vector>

// The window's 800 x 600 client area as 0x00RRGGBB; false when it is not an
// X11 window or cannot be read.
bool GrabX11Window(void* sdlWindow, std::vector<std::uint32_t>& out);

// Clears the window on the server and makes it send an Expose, as when a
// window that covered it goes away.
bool ExposeX11Window(void* sdlWindow);

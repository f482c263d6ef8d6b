// The platform started on SDL's offscreen driver with its offscreen screen,
// as the pixel, frame and PNG fixtures set themselves up.
#pragma once

#include <memory>
#include <string>

#include "platform.h"

// Fills platform and screen; on failure screen stays null and the result
// says why (the error's message and SDL's detail), else it is empty.
std::string OpenOffscreen(std::unique_ptr<Platform>& platform, std::unique_ptr<Screen>& screen);

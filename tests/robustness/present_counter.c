/* Preloaded into the window program for measurements: counts the frames it
 * presents and writes the count to $PRESENT_COUNT_FILE, so a driver outside
 * can close the window after a given number of frames. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

typedef struct SDL_Renderer SDL_Renderer;

void SDL_RenderPresent(SDL_Renderer* renderer) {
    static void (*real)(SDL_Renderer*) = NULL;
    static unsigned long frames = 0;
    static int fd = -2;
    /* The cast through void** is how POSIX converts dlsym results to functions. */
    if (!real) *(void**)(&real) = dlsym(RTLD_NEXT, "SDL_RenderPresent");
    if (fd == -2) {
        const char* path = getenv("PRESENT_COUNT_FILE");
        fd = path ? open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
    }
    real(renderer);
    ++frames;
    if (fd >= 0) {
        char text[32];
        const int length = snprintf(text, sizeof text, "%lu\n", frames);
        if (length > 0) pwrite(fd, text, (size_t)length, 0);
    }
}

#include "app_window.h"

#include <stdlib.h>
#include <string.h>

#include "ombrix_util.h"

int dataDirectoryEnter(const char* program)
{
    return ombrixDataDirEnter(program);
}

SDL_Window* windowOpen(const char* title, int resolution, int headless)
{
    /* Without a display there is nothing to ask SDL. */
    const char* x = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    if (headless || (!(x && *x) && !(wayland && *wayland)) || SDL_Init(SDL_INIT_VIDEO) != 0)
        return NULL;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0) {
        SDL_Quit();
        return NULL;
    }
    static const int sizes[5][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
    int r = resolution >= 0 && resolution <= 4 ? resolution : 0;
    SDL_Window* window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          sizes[r][0], sizes[r][1], SDL_WINDOW_RESIZABLE);
    if (!window) {
        SDL_Quit();
        return NULL;
    }
    SDL_ShowWindow(window);
    SDL_PumpEvents();
    return window;
}

int eventWait(SDL_Event* event)
{
    while (!SDL_PollEvent(event))
        SDL_Delay(5);
    return 1;
}

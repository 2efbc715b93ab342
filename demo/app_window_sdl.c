/* The program's window through SDL2, and its system calls through POSIX
 * (see app_window.h). */
#define _DEFAULT_SOURCE /* realpath, setenv, clock_gettime */
#define SDL_MAIN_HANDLED
#include "app_window.h"

#include <SDL.h>

#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "ombrix_util.h"

int dataDirectoryEnter(const char* program)
{
    return ombrixDataDirEnter(program);
}

AppWindow* windowOpen(const char* title, int resolution, int headless)
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
    static const int sizes[5][2] = {
        {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
    int r = resolution >= 0 && resolution <= 4 ? resolution : 0;
    SDL_Window* window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          sizes[r][0], sizes[r][1], SDL_WINDOW_RESIZABLE);
    if (!window) {
        SDL_Quit();
        return NULL;
    }
    SDL_ShowWindow(window);
    SDL_PumpEvents();
    return (AppWindow*)window;
}

HWND windowHandle(AppWindow* window)
{
    /* The device finds the window by its SDL id. */
    return (HWND)(uintptr_t)SDL_GetWindowID((SDL_Window*)window);
}

void windowErrorShow(AppWindow* window, const char* text)
{
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", text, (SDL_Window*)window);
}

void windowClose(AppWindow* window)
{
    SDL_DestroyWindow((SDL_Window*)window);
    SDL_Quit();
}

static int keyOf(SDL_Keycode key)
{
    switch (key) {
    case SDLK_LEFT: return APP_KEY_LEFT;
    case SDLK_RIGHT: return APP_KEY_RIGHT;
    case SDLK_UP: return APP_KEY_UP;
    case SDLK_DOWN: return APP_KEY_DOWN;
    case SDLK_F12: return APP_KEY_F12;
    case SDLK_KP_PLUS: return '+';
    case SDLK_KP_MINUS: return '-';
    default:
        /* SDL names the other keys by their characters. */
        return key > 0 && key < 128 ? (int)key : 0;
    }
}

int eventPoll(AppWindow* window, AppEvent* event)
{
    (void)window;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        event->key = 0;
        if (e.type == SDL_QUIT) {
            event->type = APP_QUIT;
            return 1;
        }
        if (e.type == SDL_WINDOWEVENT) {
            event->type = e.window.event == SDL_WINDOWEVENT_EXPOSED ? APP_EXPOSED : APP_WINDOW;
            return 1;
        }
        if (e.type == SDL_KEYDOWN && keyOf(e.key.keysym.sym)) {
            event->type = APP_KEY;
            event->key = keyOf(e.key.keysym.sym);
            return 1;
        }
    }
    return 0;
}

/* Polled rather than waited for: SDL's wait wakes itself by sending the
 * window a message over a second X connection, and when that message
 * reaches the server after the window has closed, Xlib's default error
 * handler ends the program with exit code 1. */
int eventWait(AppWindow* window, AppEvent* event)
{
    while (!eventPoll(window, event))
        SDL_Delay(5);
    return 1;
}

void appDelay(int milliseconds)
{
    SDL_Delay((Uint32)milliseconds);
}

void headlessChoose(void)
{
    setenv("OBX_GLIDE_DISPLAY", "headless", 1);
}

int pathAbsolute(const char* path, char* out)
{
    return realpath(path, out) != NULL;
}

int directoryMake(const char* path)
{
    return mkdir(path, 0777) == 0;
}

double secondsNow(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

int stderrIsTerminal(void)
{
    return isatty(STDERR_FILENO);
}

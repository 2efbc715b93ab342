/*
 * OmbrixTest: the engine's test program. It opens a window, starts the engine
 * at 640 x 480, loads "tank.3ds", lights, places, turns and shades it, renders
 * one frame and waits until Escape is pressed.
 *
 * Without a display it renders the same frame headless (the Glide device can
 * write it as a PNG) and ends, as there is nothing to wait on.
 */
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "ombrix.h"
#include "test_scene.h"

static SDL_Window* mainWindow;

/* A window of the size of the engine's screen, asked to be maximised; null
 * when there is no display. */
static SDL_Window* mainWindowCreate(void)
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return NULL;
    /* SDL falls back on drivers that show nothing when there is no display. */
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0) {
        SDL_Quit();
        return NULL;
    }
    SDL_Window* window = SDL_CreateWindow("Ombrix Test Application", 0, 0, 640, 480,
                                          SDL_WINDOW_MAXIMIZED | SDL_WINDOW_RESIZABLE);
    if (!window) {
        SDL_Quit();
        return NULL;
    }
    SDL_ShowWindow(window);
    SDL_PumpEvents();
    return window;
}

static void errorShow(const char* text)
{
    fprintf(stderr, "%s\n", text);
    if (mainWindow)
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", text, NULL);
}

/* Events are polled, not waited for: SDL's wait wakes itself by sending the
 * window a message over a second X connection, and when that message reaches
 * the server after the window has closed, Xlib's default error handler ends
 * the program with exit code 1. */
static int eventWait(SDL_Event* event)
{
    while (!SDL_PollEvent(event))
        SDL_Delay(5);
    return 1;
}

/* Until Escape (exit code 0) or until the window is closed. Other keys do
 * nothing. */
static int eventLoop(void)
{
    SDL_Event event;
    while (eventWait(&event)) {
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
            return 0;
        if (event.type == SDL_QUIT)
            return 0;
    }
    return 1;
}

static void programEnd(void)
{
    if (mainWindow)
        SDL_DestroyWindow(mainWindow);
    SDL_Quit();
}

/* The program takes no arguments; it explains itself with --help. */
static int argumentsRead(int argc, char** argv)
{
    static const char usage[] =
        "usage: OmbrixTest [--help]\n"
        "The engine's test program: the tank, lit and flat-shaded, in one frame at\n"
        "640 x 480; Escape ends it. Run it where tank.3ds and the data files are.\n";
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        fputs(usage, stdout);
        return 0;
    }
    if (argc > 1) {
        fputs(usage, stderr);
        return 2;
    }
    return -1;
}

int main(int argc, char** argv)
{
    int code = argumentsRead(argc, argv);
    if (code >= 0)
        return code;
    mainWindow = mainWindowCreate();
    /* The engine takes the window's id in place of a window handle. */
    HWND window = mainWindow ? (HWND)(uintptr_t)SDL_GetWindowID(mainWindow) : NULL;

    if (!obxInitialize(window, 0)) {
        errorShow("Couldn't initialize Ombrix!");
        programEnd();
        return 1;
    }

    testSceneBuild();
    testSceneShow();

    int exitCode = 0;
    if (mainWindow)
        exitCode = eventLoop();
    else
        printf("OmbrixTest: no display, one frame rendered without a window\n");
    obxShutdown();
    programEnd();
    return exitCode;
}

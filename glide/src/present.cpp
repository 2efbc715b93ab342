// Presentation of the front buffer: an SDL2 window when a display is there
// (the application's own SDL window when hWnd names one), nothing when
// headless; and PNG dumps of swapped frames.
//
// A window shows its last frame again whenever it is uncovered, shown again
// or resized, scaled to the window, as the board's display went on showing
// the front buffer. When the application runs SDL's video (its own window,
// or one the device opened inside the application's SDL) those events reach
// the device through an event watch while the application polls its events.
// When the device started SDL's video itself, nobody else polls: a thread of
// the device owns that window, shows each frame handed to it and answers the
// window's events.
#include "device.h"

#include <SDL.h>
#include <png.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct Presenter {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;   // the frame as drawn, 5-6-5
    SDL_Texture* gammaTexture =
        nullptr;   // the frame through the gamma tables, made when first needed
    std::vector<uint32_t> gammaPixels;
    int width = 0, height = 0;
    Uint32 windowId = 0;
    bool ownWindow = false;
    bool ownRenderer = false;
    bool ownVideo = false;            // we initialised SDL's video subsystem
    SDL_threadID drawingThread = 0;   // the one thread that draws into the window
    bool painting = false;            // inside windowShow: its own pumping repaints nothing

    // The device's own thread, when it started SDL's video.
    bool threaded = false;
    std::thread thread;
    std::mutex mutex;
    std::condition_variable wake;
    std::vector<uint16_t> frame;   // the last frame handed over, under the mutex
    Gamma frameGamma;
    bool frameNew = false, stop = false;
    bool started = false, startedOk = false;
    std::string
        failure;   // why the window could not be opened, for the application's thread to report
    bool repaint = false;   // set by the event watch on the device's thread
};

static bool displayAvailable(void)
{
    const char* x = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

// Opens the window (unless the application's is given), its renderer and
// texture; false with the reason in p->failure when it cannot.
static bool windowOpen(Presenter* p, SDL_Window* appWindow)
{
    p->window = appWindow;
    if (!p->window) {
        p->window = SDL_CreateWindow("Glide", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                     p->width, p->height, SDL_WINDOW_RESIZABLE);
        if (!p->window) {
            p->failure = std::string("cannot open a window (") + SDL_GetError() + ")";
            return false;
        }
        p->ownWindow = true;
    }
    p->renderer = SDL_GetRenderer(p->window);
    if (!p->renderer) {
        p->renderer = SDL_CreateRenderer(p->window, -1, 0);
        if (!p->renderer)
            p->renderer = SDL_CreateRenderer(p->window, -1, SDL_RENDERER_SOFTWARE);
        p->ownRenderer = p->renderer != nullptr;
    }
    if (p->renderer)
        p->texture = SDL_CreateTexture(p->renderer, SDL_PIXELFORMAT_RGB565,
                                       SDL_TEXTUREACCESS_STREAMING, p->width, p->height);
    if (!p->renderer || !p->texture) {
        p->failure = std::string("cannot draw into the window (") + SDL_GetError() + ")";
        if (p->texture)
            SDL_DestroyTexture(p->texture);
        if (p->ownRenderer)
            SDL_DestroyRenderer(p->renderer);
        if (p->ownWindow)
            SDL_DestroyWindow(p->window);
        return false;
    }
    p->windowId = SDL_GetWindowID(p->window);
    p->drawingThread = SDL_ThreadID();
    return true;
}

static void windowClose(Presenter* p)
{
    SDL_DestroyTexture(p->texture);
    if (p->gammaTexture)
        SDL_DestroyTexture(p->gammaTexture);
    if (p->ownRenderer)
        SDL_DestroyRenderer(p->renderer);
    if (p->ownWindow)
        SDL_DestroyWindow(p->window);
}

// Draws a frame (null: none yet, black) scaled to the whole window.
static void windowShow(Presenter* p, const uint16_t* pixels, const Gamma& gamma)
{
    p->painting = true;
    SDL_Texture* texture = pixels ? p->texture : nullptr;
    if (pixels && gamma.identity) {
        SDL_UpdateTexture(p->texture, nullptr, pixels, p->width * 2);
    } else if (pixels) {
        if (!p->gammaTexture)
            p->gammaTexture = SDL_CreateTexture(p->renderer, SDL_PIXELFORMAT_ARGB8888,
                                                SDL_TEXTUREACCESS_STREAMING, p->width, p->height);
        if (p->gammaTexture) {
            p->gammaPixels.resize((size_t)p->width * p->height);
            gammaApply(gamma, pixels, p->gammaPixels.data(), p->width * p->height);
            SDL_UpdateTexture(p->gammaTexture, nullptr, p->gammaPixels.data(), p->width * 4);
            texture = p->gammaTexture;
        } else {
            SDL_UpdateTexture(p->texture, nullptr, pixels, p->width * 2);
        }
    }
    SDL_SetRenderDrawColor(p->renderer, 0, 0, 0, 255);
    SDL_RenderClear(p->renderer);
    if (texture)
        SDL_RenderCopy(p->renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(p->renderer);
    p->painting = false;
}

// Events that leave the window needing its picture again.
static int SDLCALL windowEvent(void* data, SDL_Event* event)
{
    Presenter* p = (Presenter*)data;
    if (event->type != SDL_WINDOWEVENT || event->window.windowID != p->windowId)
        return 0;
    switch (event->window.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED: break;
    default: return 0;
    }
    // Only the thread that draws into the window may; never from inside a
    // frame being shown.
    if (SDL_ThreadID() != p->drawingThread || p->painting)
        return 0;
    if (p->threaded)
        p->repaint = true;
    else
        frontBufferShowAgain();
    return 0;
}

// The device's own thread: starts SDL's video, opens the window, then shows
// what it is handed and repaints when the window asks, until told to stop.
static void presenterRun(Presenter* p)
{
    bool ok = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (!ok) {
        if (dev.config.display == DISPLAY_WINDOW)
            p->failure = std::string("no display (") + SDL_GetError() + ")";
    } else {
        p->ownVideo = true;
        ok = windowOpen(p, nullptr);
        if (ok)
            SDL_AddEventWatch(windowEvent, p);
        else
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    {
        std::lock_guard<std::mutex> lock(p->mutex);
        p->started = true;
        p->startedOk = ok;
    }
    p->wake.notify_all();
    if (!ok)
        return;

    std::vector<uint16_t> shown;   // the frame on show
    Gamma shownGamma = {true, {}};
    for (;;) {
        bool fresh = false;
        {
            std::unique_lock<std::mutex> lock(p->mutex);
            p->wake.wait_for(lock, std::chrono::milliseconds(10),
                             [p] { return p->stop || p->frameNew; });
            if (p->stop)
                break;
            if (p->frameNew) {
                shown.swap(p->frame);
                shownGamma = p->frameGamma;
                p->frameNew = false;
                fresh = true;
            }
        }
        p->repaint = false;
        SDL_PumpEvents();   // window events reach windowEvent here
        if (fresh || p->repaint)
            windowShow(p, shown.empty() ? nullptr : shown.data(), shownGamma);
    }
    SDL_DelEventWatch(windowEvent, p);
    windowClose(p);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool presentOpen(FxU32 hWnd, int width, int height)
{
    dev.presenter = nullptr;
    if (dev.config.display == DISPLAY_HEADLESS)
        return true;
    // The application's own window, when hWnd is the id of one.
    SDL_Window* appWindow =
        hWnd != 0 && SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetWindowFromID(hWnd) : nullptr;
    if (!appWindow && dev.config.display == DISPLAY_AUTO && !displayAvailable())
        return true;

    Presenter* p = new Presenter;
    p->width = width;
    p->height = height;
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        // The application runs SDL's video: draw on its thread.
        if (!windowOpen(p, appWindow)) {
            reportError("grSstWinOpen: %s; running headless", p->failure.c_str());
            delete p;
            return true;
        }
        SDL_AddEventWatch(windowEvent, p);
    } else {
        p->threaded = true;
        p->thread = std::thread(presenterRun, p);
        std::unique_lock<std::mutex> lock(p->mutex);
        p->wake.wait(lock, [p] { return p->started; });
        if (!p->startedOk) {
            lock.unlock();
            p->thread.join();
            if (!p->failure.empty())
                reportError("grSstWinOpen: %s; running headless", p->failure.c_str());
            delete p;
            return true;
        }
    }
    dev.presenter = p;
    return true;
}

void presentFrame(const uint16_t* pixels, int width, int height)
{
    Presenter* p = dev.presenter;
    if (!p)
        return;
    if (p->threaded) {
        {
            std::lock_guard<std::mutex> lock(p->mutex);
            p->frame.assign(pixels, pixels + (size_t)width * height);
            p->frameGamma = dev.gamma;
            p->frameNew = true;
        }
        p->wake.notify_all();
        return;
    }
    if (p->painting)
        return;
    windowShow(p, pixels, dev.gamma);
    // Keep a window we opened responsive; the events stay queued for the
    // application.
    if (p->ownWindow) {
        p->painting = true;
        SDL_PumpEvents();
        p->painting = false;
    }
}

void presentClose(void)
{
    Presenter* p = dev.presenter;
    if (!p)
        return;
    dev.presenter = nullptr;
    if (p->threaded) {
        {
            std::lock_guard<std::mutex> lock(p->mutex);
            p->stop = true;
        }
        p->wake.notify_all();
        p->thread.join();
    } else {
        SDL_DelEventWatch(windowEvent, p);
        windowClose(p);
    }
    delete p;
}

bool dumpFramePng(const char* path, const uint16_t* pixels, int width, int height)
{
    FILE* file = fopen(path, "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        fclose(file);
        return false;
    }
    std::vector<png_byte> row((size_t)width * 3);
    std::vector<uint32_t> shown((size_t)width);   // a row as the display shows it
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    for (int y = 0; y < height; y++) {
        const uint16_t* src = pixels + (size_t)y * width;
        gammaApply(dev.gamma, src, shown.data(), width);
        for (int x = 0; x < width; x++) {
            uint32_t c = shown[(size_t)x];
            row[(size_t)x * 3 + 0] = (png_byte)(c >> 16);
            row[(size_t)x * 3 + 1] = (png_byte)(c >> 8);
            row[(size_t)x * 3 + 2] = (png_byte)c;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0;
}

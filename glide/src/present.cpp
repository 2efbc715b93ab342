// Presentation of the front buffer: an SDL2 window when a display is there
// (the application's own SDL window when hWnd names one), nothing when
// headless; and PNG dumps of swapped frames.
#include "device.h"

#include <SDL.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

struct Presenter {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;      // the frame as drawn, 5-6-5
    SDL_Texture* gammaTexture = nullptr; // the frame through the gamma tables, made when first needed
    std::vector<uint32_t> gammaPixels;
    bool ownWindow = false;
    bool ownRenderer = false;
    bool ownVideo = false; // we initialised SDL's video subsystem
};

static bool displayAvailable(void)
{
    const char* x = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

bool presentOpen(FxU32 hWnd, int width, int height)
{
    dev.presenter = nullptr;
    if (dev.config.display == DISPLAY_HEADLESS)
        return true;

    Presenter p;
    // The application's own window, when hWnd is the id of one.
    if (hWnd != 0 && SDL_WasInit(SDL_INIT_VIDEO))
        p.window = SDL_GetWindowFromID(hWnd);

    if (!p.window) {
        if (dev.config.display == DISPLAY_AUTO && !displayAvailable())
            return true;
        if (!SDL_WasInit(SDL_INIT_VIDEO)) {
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
                if (dev.config.display == DISPLAY_WINDOW)
                    reportError("grSstWinOpen: no display (%s); running headless", SDL_GetError());
                return true;
            }
            p.ownVideo = true;
        }
        p.window = SDL_CreateWindow("Glide", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                    SDL_WINDOW_RESIZABLE);
        if (!p.window) {
            reportError("grSstWinOpen: cannot open a window (%s); running headless", SDL_GetError());
            if (p.ownVideo)
                SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return true;
        }
        p.ownWindow = true;
    }

    p.renderer = SDL_GetRenderer(p.window);
    if (!p.renderer) {
        p.renderer = SDL_CreateRenderer(p.window, -1, 0);
        if (!p.renderer)
            p.renderer = SDL_CreateRenderer(p.window, -1, SDL_RENDERER_SOFTWARE);
        p.ownRenderer = p.renderer != nullptr;
    }
    if (p.renderer)
        p.texture = SDL_CreateTexture(p.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width,
                                      height);
    if (!p.renderer || !p.texture) {
        reportError("grSstWinOpen: cannot draw into the window (%s); running headless", SDL_GetError());
        if (p.texture)
            SDL_DestroyTexture(p.texture);
        if (p.ownRenderer)
            SDL_DestroyRenderer(p.renderer);
        if (p.ownWindow)
            SDL_DestroyWindow(p.window);
        if (p.ownVideo)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return true;
    }
    dev.presenter = new Presenter(p);
    return true;
}

void presentFrame(const uint16_t* pixels, int width, int height)
{
    Presenter* p = dev.presenter;
    if (!p)
        return;
    SDL_Texture* texture = p->texture;
    if (dev.gamma.identity) {
        SDL_UpdateTexture(p->texture, nullptr, pixels, width * 2);
    } else {
        if (!p->gammaTexture)
            p->gammaTexture = SDL_CreateTexture(p->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                                width, height);
        if (p->gammaTexture) {
            p->gammaPixels.resize((size_t)width * height);
            gammaApply(pixels, p->gammaPixels.data(), width * height);
            SDL_UpdateTexture(p->gammaTexture, nullptr, p->gammaPixels.data(), width * 4);
            texture = p->gammaTexture;
        } else {
            SDL_UpdateTexture(p->texture, nullptr, pixels, width * 2);
        }
    }
    SDL_RenderClear(p->renderer);
    SDL_RenderCopy(p->renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(p->renderer);
    // Keep a window we own responsive; the events stay queued for the
    // application.
    if (p->ownWindow)
        SDL_PumpEvents();
}

void presentClose(void)
{
    Presenter* p = dev.presenter;
    if (!p)
        return;
    SDL_DestroyTexture(p->texture);
    if (p->gammaTexture)
        SDL_DestroyTexture(p->gammaTexture);
    if (p->ownRenderer)
        SDL_DestroyRenderer(p->renderer);
    if (p->ownWindow)
        SDL_DestroyWindow(p->window);
    if (p->ownVideo)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    delete p;
    dev.presenter = nullptr;
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
    std::vector<uint32_t> shown((size_t)width); // a row as the display shows it
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    for (int y = 0; y < height; y++) {
        const uint16_t* src = pixels + (size_t)y * width;
        gammaApply(src, shown.data(), width);
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

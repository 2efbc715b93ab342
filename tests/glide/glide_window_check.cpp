// Presentation in a window (run under a virtual X server): the device draws
// into the application's own SDL window when given its id, and opens a
// window of its own when given none.
#include <glide.h>

#include <SDL.h>

#include <cstdio>
#include <cstring>

static int failures = 0;

static void check(bool ok, const char* what)
{
    if (!ok) {
        printf("FAILED: %s\n", what);
        failures++;
    }
}

struct Vertex {
    float x, y;
    float r, g, b;
};

static void drawRed(void)
{
    grVertexLayout(GR_PARAM_XY, 0, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_RGB, 8, GR_PARAM_ENABLE);
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grBufferClear(0xFF000000, 0, 0);
    Vertex a = {0, 0, 255, 0, 0}, b = {640, 0, 255, 0, 0}, c = {0, 480, 255, 0, 0},
           d = {640, 480, 255, 0, 0};
    grDrawTriangle(&a, &b, &c);
    grDrawTriangle(&b, &d, &c);
    grBufferSwap(0);
}

int main(int argc, char** argv)
{
    if (argc > 1) {
        bool help = argc == 2 && strcmp(argv[1], "--help") == 0;
        fputs("usage: glide-window-check\nThe device draws into an SDL window of this program.\n",
              help ? stdout : stderr);
        return help ? 0 : 2;
    }
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        printf("no display: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("application window", 0, 0, 320, 240, 0);
    check(window != nullptr, "the application's window opens");
    grGlideInit();
    GrContext_t context =
        grSstWinOpen(SDL_GetWindowID(window), GR_RESOLUTION_640x480, GR_REFRESH_60Hz,
                     GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2, 1);
    check(context != 0, "grSstWinOpen with the window's id");
    SDL_Renderer* renderer = SDL_GetRenderer(window);
    check(renderer != nullptr, "the device draws into the application's window");
    drawRed();
    if (renderer) {
        // The 640 x 480 frame scaled into the 320 x 240 window.
        Uint32 pixel = 0;
        SDL_Rect at = {160, 120, 1, 1};
        check(SDL_RenderReadPixels(renderer, &at, SDL_PIXELFORMAT_ARGB8888, &pixel, 4) == 0,
              "read the window");
        check((pixel & 0x00FFFFFF) == 0x00FF0000, "the window shows the swapped frame");
        // A gamma table changes what the window shows, not the buffer.
        FxU32 half[256], same[256];
        for (int i = 0; i < 256; i++) {
            half[i] = (FxU32)i / 2;
            same[i] = (FxU32)i;
        }
        grLoadGammaTable(256, half, same, same);
        drawRed();
        check(SDL_RenderReadPixels(renderer, &at, SDL_PIXELFORMAT_ARGB8888, &pixel, 4) == 0,
              "read the window");
        check((pixel & 0x00FFFFFF) == 0x007F0000,
              "the window shows the frame through the gamma table");
        FxU16 front = 0;
        grLfbReadRegion(GR_BUFFER_FRONTBUFFER, 320, 240, 1, 1, 2, &front);
        check(front == 0xF800, "the buffer keeps the colour drawn");
    }
    grSstWinClose(context);
    check(SDL_GetRenderer(window) == nullptr, "the device's renderer goes with its context");

    // No window given: the device opens one of its own and closes it again.
    context = grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                           GR_ORIGIN_UPPER_LEFT, 2, 1);
    check(context != 0, "grSstWinOpen without a window");
    bool found = false;
    for (Uint32 id = 1; id < 64; id++) {
        SDL_Window* w = SDL_GetWindowFromID(id);
        if (w && w != window && strcmp(SDL_GetWindowTitle(w), "Glide") == 0)
            found = true;
    }
    check(found, "the device opened its own window");
    drawRed();
    grSstWinClose(context);
    grGlideShutdown();
    SDL_DestroyWindow(window);
    SDL_Quit();
    if (failures)
        return 1;
    printf("presentation as expected\n");
    return 0;
}

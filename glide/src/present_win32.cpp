// Presentation of the front buffer on Windows: GDI into the window the
// application hands to grSstWinOpen (or one of the device's own when it hands
// none), repainted on WM_PAINT and scaled to the window; nothing when
// headless. PNG dumps of swapped frames through stb's header-only writer.
#include "device.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO_UTF8
#include <stb_image_write.h>
#pragma GCC diagnostic pop

struct Presenter {
    HWND window;
    bool ownWindow;
    int width, height;
};

static const char ownClassName[] = "ObxGlideWindow";
// The application's window procedure that ours wraps. Kept after the Glide
// window closes, in case a later wrapper of the window still calls ours.
static WNDPROC wrappedPrevious;

// The front buffer, RGB 5-6-5 with its top row first, stretched over the
// whole client area.
static void paintFrame(HDC dc, const Presenter* p)
{
    if (!dev.open || !frontBuffer())
        return;
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info = {};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = p->width;
    info.header.biHeight = -p->height;   // top-down
    info.header.biPlanes = 1;
    info.header.biBitCount = 16;
    info.header.biCompression = BI_BITFIELDS;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    const void* bits = frontBuffer();
    // Through the display's gamma tables, when they are not the identity.
    std::vector<uint32_t> shown;
    if (!dev.gamma.identity) {
        shown.resize((size_t)p->width * p->height);
        gammaApply(dev.gamma, frontBuffer(), shown.data(), p->width * p->height);
        info.header.biBitCount = 32;
        info.header.biCompression = BI_RGB;
        bits = shown.data();
    }
    RECT client;
    GetClientRect(p->window, &client);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, 0, 0, client.right - client.left, client.bottom - client.top, 0, 0, p->width,
                  p->height, bits, (const BITMAPINFO*)&info, DIB_RGB_COLORS, SRCCOPY);
}

// Our part of the window's messages: the picture is ours to paint and covers
// the whole client area, so there is no background to erase.
static bool presenterMessage(Presenter* p, UINT message, LRESULT* result)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(p->window, &ps);
        paintFrame(dc, p);
        EndPaint(p->window, &ps);
        *result = 0;
        return true;
    }
    if (message == WM_ERASEBKGND && dev.open) {
        *result = 1;
        return true;
    }
    return false;
}

static LRESULT CALLBACK wrappedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Presenter* p = dev.presenter;
    LRESULT result;
    if (p && p->window == window && presenterMessage(p, message, &result))
        return result;
    return CallWindowProcA(wrappedPrevious, window, message, wParam, lParam);
}

static LRESULT CALLBACK ownProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Presenter* p = dev.presenter;
    LRESULT result;
    if (p && p->window == window && presenterMessage(p, message, &result))
        return result;
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND ownWindowOpen(int width, int height)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ownProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.lpszClassName = ownClassName;
    RegisterClassA(&wc);   // fails harmlessly when already registered
    RECT r = {0, 0, width, height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window =
        CreateWindowExA(0, ownClassName, "Glide", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (window)
        ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

bool presentOpen(FxU32 hWnd, int width, int height)
{
    dev.presenter = nullptr;
    if (dev.config.display == DISPLAY_HEADLESS)
        return true;
    Presenter p = {};
    p.width = width;
    p.height = height;
    // A window handle fits 32 bits on 64-bit Windows too: handles are shared
    // with 32-bit programs.
    HWND given = (HWND)(uintptr_t)hWnd;
    if (hWnd != 0 && IsWindow(given)) {
        p.window = given;
    } else {
        p.window = ownWindowOpen(width, height);
        if (!p.window) {
            if (dev.config.display == DISPLAY_WINDOW)
                reportError("grSstWinOpen: cannot open a window; running headless");
            return true;
        }
        p.ownWindow = true;
    }
    dev.presenter = new Presenter(p);
    if (!p.ownWindow && (WNDPROC)GetWindowLongPtrA(p.window, GWLP_WNDPROC) != wrappedProc)
        wrappedPrevious = (WNDPROC)SetWindowLongPtrA(p.window, GWLP_WNDPROC, (LONG_PTR)wrappedProc);
    InvalidateRect(p.window, nullptr, FALSE);
    return true;
}

void presentFrame(const uint16_t* pixels, int width, int height)
{
    Presenter* p = dev.presenter;
    if (!p)
        return;
    (void)pixels;
    (void)width;
    (void)height;
    HDC dc = GetDC(p->window);
    if (dc) {
        paintFrame(dc, p);
        ReleaseDC(p->window, dc);
    }
    // Keep a window we own responsive; the application's messages stay
    // queued for it.
    if (p->ownWindow) {
        MSG msg;
        while (PeekMessageA(&msg, p->window, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
}

void presentClose(void)
{
    Presenter* p = dev.presenter;
    if (!p)
        return;
    if (p->ownWindow) {
        DestroyWindow(p->window);
    } else if ((WNDPROC)GetWindowLongPtrA(p->window, GWLP_WNDPROC) == wrappedProc) {
        SetWindowLongPtrA(p->window, GWLP_WNDPROC, (LONG_PTR)wrappedPrevious);
        InvalidateRect(p->window, nullptr, TRUE);
    }
    delete p;
    dev.presenter = nullptr;
}

bool dumpFramePng(const char* path, const uint16_t* pixels, int width, int height)
{
    // The frame as the display shows it, through its gamma tables.
    std::vector<uint32_t> shown((size_t)width * height);
    gammaApply(dev.gamma, pixels, shown.data(), width * height);
    std::vector<unsigned char> rgb((size_t)width * height * 3);
    for (size_t i = 0; i < (size_t)width * height; i++) {
        uint32_t c = shown[i];
        rgb[i * 3 + 0] = (unsigned char)(c >> 16);
        rgb[i * 3 + 1] = (unsigned char)(c >> 8);
        rgb[i * 3 + 2] = (unsigned char)c;
    }
    return stbi_write_png(path, width, height, 3, rgb.data(), width * 3) != 0;
}

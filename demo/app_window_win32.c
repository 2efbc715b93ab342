/* The program's window in plain Win32, and its system calls through the C
 * runtime (see app_window.h). */
#include "app_window.h"

#include <windows.h>

#include <direct.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ombrix_util.h"

int dataDirectoryEnter(const char* program)
{
    return ombrixDataDirEnter(program);
}

/* Events gathered by the window procedure until polled. */
enum { QUEUE = 64 };
struct AppWindow {
    HWND handle;
    AppEvent queue[QUEUE];
    int first, count;
};

static void eventPut(AppWindow* window, int type, int key)
{
    if (!window || window->count == QUEUE)
        return;
    AppEvent* e = &window->queue[(window->first + window->count++) % QUEUE];
    e->type = type;
    e->key = key;
}

static int keyOf(WPARAM key)
{
    switch (key) {
    case VK_ESCAPE: return APP_KEY_ESCAPE;
    case VK_LEFT: return APP_KEY_LEFT;
    case VK_RIGHT: return APP_KEY_RIGHT;
    case VK_UP: return APP_KEY_UP;
    case VK_DOWN: return APP_KEY_DOWN;
    case VK_F12: return APP_KEY_F12;
    default: return 0; /* the character keys come as WM_CHAR */
    }
}

static LRESULT CALLBACK windowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    AppWindow* window = (AppWindow*)GetWindowLongPtrA(handle, GWLP_USERDATA);
    switch (message) {
    case WM_CREATE:
        SetWindowLongPtrA(handle, GWLP_USERDATA,
                          (LONG_PTR)((CREATESTRUCTA*)lParam)->lpCreateParams);
        return 0;
    case WM_KEYDOWN:
        if (keyOf(wParam))
            eventPut(window, APP_KEY, keyOf(wParam));
        return 0;
    case WM_CHAR:
        /* Escape comes as WM_KEYDOWN; letters as typed, in lower case. */
        if (wParam > ' ' && wParam < 127)
            eventPut(window, APP_KEY,
                     wParam >= 'A' && wParam <= 'Z' ? (int)wParam + 32 : (int)wParam);
        else if (wParam == ' ')
            eventPut(window, APP_KEY, APP_KEY_SPACE);
        return 0;
    case WM_SIZE: eventPut(window, APP_WINDOW, 0); return 0;
    case WM_PAINT:
        /* The device draws the frame again itself; the program may want to
         * draw a new one. */
        eventPut(window, APP_EXPOSED, 0);
        break;
    case WM_CLOSE: eventPut(window, APP_QUIT, 0); return 0;
    }
    return DefWindowProcA(handle, message, wParam, lParam);
}

AppWindow* windowOpen(const char* title, int resolution, int headless)
{
    /* Told to draw without a window, the device would not show one. */
    const char* display = getenv("OBX_GLIDE_DISPLAY");
    if (headless || (display && strcmp(display, "headless") == 0))
        return NULL;
    static const int sizes[5][2] = {
        {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
    int r = resolution >= 0 && resolution <= 4 ? resolution : 0;
    AppWindow* window = (AppWindow*)calloc(1, sizeof *window);
    if (!window)
        return NULL;
    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.lpszClassName = "obxAppWindow";
    RegisterClassA(&wc);
    /* The drawing area of the resolution's size. */
    RECT area = {0, 0, sizes[r][0], sizes[r][1]};
    AdjustWindowRect(&area, WS_OVERLAPPEDWINDOW, FALSE);
    window->handle = CreateWindowExA(0, "obxAppWindow", title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                     CW_USEDEFAULT, area.right - area.left, area.bottom - area.top,
                                     NULL, NULL, instance, window);
    if (!window->handle) {
        free(window);
        return NULL;
    }
    ShowWindow(window->handle, SW_SHOW);
    UpdateWindow(window->handle);
    return window;
}

HWND windowHandle(AppWindow* window)
{
    return window->handle;
}

void windowErrorShow(AppWindow* window, const char* text)
{
    MessageBoxA(window->handle, text, "Error", MB_OK | MB_ICONERROR);
}

void windowClose(AppWindow* window)
{
    DestroyWindow(window->handle);
    free(window);
}

int eventPoll(AppWindow* window, AppEvent* event)
{
    MSG msg;
    while (window->count == 0 && PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (window->count == 0)
        return 0;
    *event = window->queue[window->first];
    window->first = (window->first + 1) % QUEUE;
    window->count--;
    return 1;
}

int eventWait(AppWindow* window, AppEvent* event)
{
    while (!eventPoll(window, event))
        Sleep(5);
    return 1;
}

void appDelay(int milliseconds)
{
    Sleep((DWORD)milliseconds);
}

void headlessChoose(void)
{
    _putenv_s("OBX_GLIDE_DISPLAY", "headless");
}

int pathAbsolute(const char* path, char* out)
{
    /* Forward slashes, as the programs split paths at them. */
    if (_access(path, 0) != 0 || !_fullpath(out, path, MAX_PATH))
        return 0;
    for (char* c = out; *c; c++)
        if (*c == '\\')
            *c = '/';
    return 1;
}

int directoryMake(const char* path)
{
    return _mkdir(path) == 0;
}

double secondsNow(void)
{
    static LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

int stderrIsTerminal(void)
{
    return _isatty(_fileno(stderr));
}

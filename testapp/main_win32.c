/*
 * OmbrixTest for Windows: the engine's test program in plain Win32. It opens
 * a maximised window of class "obxWinTest", starts the engine at 640 x 480 in
 * it, shows the lit tank (test_scene.c) and polls its messages until Escape.
 * When the engine cannot start it says so in a message box and ends with 1.
 *
 * Where no window can be made (no desktop), it renders the same frame for the
 * Glide device alone (which can write it as a PNG) and ends, as on Linux.
 */
#include <windows.h>

#include <stdio.h>

#include "ombrix.h"
#include "test_scene.h"

static HWND mainWindow;
static int engineRunning;

/* Losing activation gives the screen back (obxLooseFocus); getting it again
 * takes it back, and the frame, lost with the Glide window, is drawn again. */
static void activationChanged(int active)
{
    if (!engineRunning)
        return;
    if (!active) {
        obxLooseFocus();
    } else {
        obxSetFocus();
        testSceneShow();
    }
}

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            PostQuitMessage(0);
        return 0;
    case WM_ACTIVATEAPP: activationChanged(wParam != 0); break;
    case WM_DESTROY:
        /* Closed by other means than Escape: end as Escape does. */
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND mainWindowCreate(HINSTANCE instance)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = "obxWinTest";
    RegisterClassA(&wc);
    HWND window =
        CreateWindowExA(0, "obxWinTest", "Ombrix Test Application",
                        WS_OVERLAPPEDWINDOW | WS_MAXIMIZE, 0, 0, 0, 0, NULL, NULL, instance, NULL);
    if (window) {
        ShowWindow(window, SW_SHOWMAXIMIZED);
        UpdateWindow(window);
    }
    return window;
}

/* Polls the queue until the quit message; yields the processor while it is
 * empty. Returns the quit message's code. */
static int messageLoop(void)
{
    MSG msg;
    for (;;) {
        if (PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE) != TRUE) {
            Sleep(1);
            continue;
        }
        if (GetMessageA(&msg, NULL, 0, 0) == 0)
            return (int)msg.wParam;
        DispatchMessageA(&msg);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)commandLine;
    (void)show;
    mainWindow = mainWindowCreate(instance);

    if (!obxInitialize(mainWindow, 0)) {
        fprintf(stderr, "Couldn't initialize Ombrix!\n");
        MessageBoxA(NULL, "Couldn't initialize Ombrix!", "Error", MB_OK);
        return 1;
    }
    engineRunning = 1;
    testSceneBuild();
    testSceneShow();

    int exitCode = 0;
    if (mainWindow)
        exitCode = messageLoop();
    else
        printf("OmbrixTest: no window, one frame rendered without one\n");
    engineRunning = 0;
    obxShutdown();
    return exitCode;
}

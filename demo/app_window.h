/* What obx-demo and obx-view share of being a program with a window: their
 * data directory, their window and its events, and the few calls to the
 * system they need. SDL2 on Linux (app_window_sdl.c), Win32 on Windows
 * (app_window_win32.c). */
#ifndef OBX_APP_WINDOW_H
#define OBX_APP_WINDOW_H

#include "ombrix.h"

typedef struct AppWindow AppWindow;

/* An event: the window was closed, needs drawing again (uncovered), changed
 * otherwise (resized, shown, focused, ...), or a key was pressed. */
enum { APP_QUIT = 1, APP_EXPOSED, APP_WINDOW, APP_KEY };
/* Keys: letters (lower case), digits and the characters + - = as
 * themselves, and these. */
enum {
    APP_KEY_ESCAPE = 27,
    APP_KEY_SPACE = ' ',
    APP_KEY_LEFT = 256,
    APP_KEY_RIGHT,
    APP_KEY_UP,
    APP_KEY_DOWN,
    APP_KEY_F12,
};
typedef struct AppEvent {
    int type;
    int key;
} AppEvent;

/* The engine reads its data files from the current directory: stays when
 * they are here, else enters the program's own directory or the installed
 * share/ombrix (ombrixDataDirEnter). 0, with what is missing and where it
 * looked said on stderr under the program's name, when none has them. */
int dataDirectoryEnter(const char* program);

/* A shown, resizable window of the size of screen resolution 0..4 (0 when
 * out of range); null when headless is asked for or there is no display to
 * show it on. Without a window, call headlessChoose before the engine
 * starts. */
AppWindow* windowOpen(const char* title, int resolution, int headless);
/* What obxInitialize takes for the window. */
HWND windowHandle(AppWindow* window);
/* An error message in a box over the window. */
void windowErrorShow(AppWindow* window, const char* text);
void windowClose(AppWindow* window);

/* The next event: 1 with one, 0 when there is none. */
int eventPoll(AppWindow* window, AppEvent* event);
/* The next event, waited for; always 1. */
int eventWait(AppWindow* window, AppEvent* event);
void appDelay(int milliseconds);

/* Tells the device to draw without a window. */
void headlessChoose(void);
/* path as an absolute path into out (PATH_MAX bytes); 0 when it does not
 * exist. */
int pathAbsolute(const char* path, char* out);
int directoryMake(const char* path);
/* Seconds from some fixed moment, for frame rates. */
double secondsNow(void);
/* Whether standard error is a terminal (for progress read-outs). */
int stderrIsTerminal(void);

#endif

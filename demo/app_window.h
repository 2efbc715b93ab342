/* What obx-demo and obx-view share of being a program with a window: their
 * data directory, their SDL window and waiting for its events. */
#ifndef OBX_APP_WINDOW_H
#define OBX_APP_WINDOW_H

#include <SDL.h>

/* The engine reads its data files from the current directory: stays when
 * they are here, else enters the program's own directory or the installed
 * share/ombrix (ombrixDataDirEnter). 0, with what is missing and where it
 * looked said on stderr under the program's name, when none has them. */
int dataDirectoryEnter(const char* program);

/* A shown, resizable window of the size of screen resolution 0..4 (0 when
 * out of range); null when headless is asked for, when there is no display
 * or when SDL can only draw off screen. */
SDL_Window* windowOpen(const char* title, int resolution, int headless);

/* The next event, polled rather than waited for: SDL's wait wakes itself by
 * sending the window a message over a second X connection, and when that
 * message reaches the server after the window has closed, Xlib's default
 * error handler ends the program with exit code 1. Always 1. */
int eventWait(SDL_Event* event);

#endif

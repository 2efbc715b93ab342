/*
 * What every example shares: its command line, finding the data files,
 * starting the engine, counting frames and saving the last one.
 *
 *   example [--frames N] [--shot FILE.png] [--headless] [--help]
 *
 * In the device's own window when there is a display (and no --headless),
 * headless otherwise; N frames (at 60 a second in a window), then it ends.
 */
#ifndef OBX_EXAMPLE_H
#define OBX_EXAMPLE_H

#include "ombrix.h"
#include "ombrix_util.h"

/* Reads the command line (--help: usage on standard output, exit code 0;
 * wrong arguments: usage on standard error, exit code 2), finds the data
 * files and starts the engine at 640 x 480. 1 when the engine runs; 0 after
 * saying why it does not. */
int exampleStart(int argc, char** argv, const char* name, const char* about, int frames);

/* 1 while frames are left to draw; counts one frame per call. */
int exampleFrame(void);

/* The number of the frame being drawn, from 1. */
int exampleFrameNumber(void);

/* After the last frame: saves it when --shot asked for it, shuts the engine
 * down; the program's exit code. */
int exampleEnd(void);

#endif

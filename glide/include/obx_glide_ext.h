/*
 * Extensions of the Ombrix software Glide device, for tests and tools.
 *
 * They are reached the standard Glide way, through grGetProcAddress(name), so
 * a program linked against the real libglide3 simply gets null and goes on.
 * None of them costs anything while unused.
 */
#ifndef OBX_GLIDE_EXT_H
#define OBX_GLIDE_EXT_H

#include <glide.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Call trace. "grObxTraceEnable"(FXTRUE) clears the trace and starts recording
 * every Glide call the process makes (gr* and gu*); FXFALSE stops recording and
 * keeps what was recorded. "grObxTraceText"() returns the recorded calls, one
 * per line, each written as
 *
 *     name(arg, arg, ...)
 *
 * with the arguments in declaration order: integers and enums in decimal
 * (signed types signed, FxU32 unsigned), FxBool as 0 or 1, GrColor_t as
 * 0xAARRGGBB in upper-case hex with eight digits, floats with "%g", strings in
 * double quotes, and every other pointer as "ptr". Draw calls add the vertices
 * they were given after the count, each as {x y} from the layout's XY offset:
 *
 *     grDrawVertexArray(5, 3 {10 20} {30 20} {20 40})
 *     grDrawTriangle({10 20} {30 20} {20 40})
 *
 * The string stays valid until the next call into the device. Looking up
 * the "grObx..." extensions themselves through grGetProcAddress is not
 * recorded.
 * "grObxTraceClear"() empties the trace without changing whether it records.
 */
typedef void (*GrObxTraceEnableProc)(FxBool enable);
typedef const char* (*GrObxTraceTextProc)(void);
typedef void (*GrObxTraceClearProc)(void);

/*
 * Frame grab. "grObxFrameGrab"(buffer, colour, depth) copies the whole colour
 * buffer named by buffer (GR_BUFFER_FRONTBUFFER or GR_BUFFER_BACKBUFFER) into
 * colour and the depth buffer into depth, each width * height 16-bit values
 * (RGB565 colour; raw depth as the W buffer stores it), row 0 being the TOP
 * line of the screen, as the linear frame buffer counts rows. Either pointer
 * may be null. Returns FXFALSE when no window is open.
 * "grObxScreenSize"(&width, &height) gives the size of the open window
 * (0 and 0 when none is open).
 */
typedef FxBool (*GrObxFrameGrabProc)(GrBuffer_t buffer, FxU16* colour, FxU16* depth);
typedef void (*GrObxScreenSizeProc)(FxU32* width, FxU32* height);

/*
 * Statistics for benchmarks. "grObxStats"(&stats) fills the counters since
 * the window was opened or since the last "grObxStatsReset"().
 */
typedef struct GrObxStats {
    unsigned long long trianglesDrawn; /* triangles that reached the rasterizer */
    unsigned long long pixelsWritten;  /* pixels that passed every test and were written */
    unsigned long long swaps;
} GrObxStats;
typedef void (*GrObxStatsProc)(GrObxStats* stats);
typedef void (*GrObxStatsResetProc)(void);

#ifdef __cplusplus
}
#endif

#endif /* OBX_GLIDE_EXT_H */

/*
 * Call trace of the device: every gr* and gu* entry point records one line,
 *
 *     name(arg, arg, ...)
 *
 * while the trace is switched on through the "grObxTraceEnable" extension.
 * Argument conventions (so every file writes them alike):
 *   integers and enums   decimal, signed types with %d, FxU32 with %u
 *   FxBool               0 or 1            -> traceBool(b)
 *   GrColor_t            0xAARRGGBB, 8 upper-case hex digits -> "0x%08X"
 *   float                "%g"
 *   string               in double quotes  -> "\"%s\"" with traceStr(s)
 *   any other pointer    the word ptr
 *
 * Use it as
 *
 *     TRACE("gu3dfGetInfo(\"%s\", ptr)", traceStr(filename));
 *
 * The check of the flag is inline, so a call costs one test while tracing is off.
 */
#ifndef OBX_GLIDE_TRACE_H
#define OBX_GLIDE_TRACE_H

#include <string>

extern bool traceEnabled;

void traceRecord(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Appends text to the line being built by traceBegin/traceEnd (draw calls use
// it to list their vertices).
void traceBegin(const char* format, ...) __attribute__((format(printf, 1, 2)));
void traceAppend(const char* format, ...) __attribute__((format(printf, 1, 2)));
void traceEnd(void);

void traceClear(void);
const char* traceText(void);

inline int traceBool(int b)
{
    return b ? 1 : 0;
}
// A printable stand-in for a possibly null string argument.
inline const char* traceStr(const char* s)
{
    return s ? s : "(null)";
}

#define TRACE(...)                                                                                 \
    do {                                                                                           \
        if (traceEnabled)                                                                          \
            traceRecord(__VA_ARGS__);                                                              \
    } while (0)

#endif

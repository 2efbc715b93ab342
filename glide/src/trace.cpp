// Recording of the call trace (see trace.h for the line format).
#include "trace.h"

#include <cstdarg>
#include <cstdio>

bool traceEnabled = false;

static std::string traceLog;        // every recorded line, each ending in '\n'
static std::string traceSnapshot;   // what traceText last handed out

static void traceVAppend(const char* format, va_list args)
{
    char buffer[512];
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(buffer, sizeof buffer, format, copy);
    va_end(copy);
    if (n < 0)
        return;
    if ((size_t)n < sizeof buffer) {
        traceLog.append(buffer, (size_t)n);
        return;
    }
    std::string big((size_t)n + 1, '\0');
    vsnprintf(&big[0], big.size(), format, args);
    traceLog.append(big.data(), (size_t)n);
}

void traceRecord(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    traceVAppend(format, args);
    va_end(args);
    traceLog.push_back('\n');
}

void traceBegin(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    traceVAppend(format, args);
    va_end(args);
}

void traceAppend(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    traceVAppend(format, args);
    va_end(args);
}

void traceEnd(void)
{
    traceLog.push_back('\n');
}

void traceClear(void)
{
    traceLog.clear();
}

const char* traceText(void)
{
    traceSnapshot = traceLog;
    return traceSnapshot.c_str();
}

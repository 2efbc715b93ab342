// The engine's text log, "Ombrix.log" in the current directory.
#include "core/core.h"

void logOpen(void)
{
    // Binary: the texts reach the file byte for byte, "\n" as it is also on
    // Windows.
    core.logFile = fopen("Ombrix.log", "wb");
    logWrite("Ombrix Logfile\n\n");
}

void logWrite(const char* text)
{
    if (core.logFile && text)
        fputs(text, core.logFile);
}

void logClose(void)
{
    if (core.logFile) {
        fclose(core.logFile);
        core.logFile = NULL;
    }
}

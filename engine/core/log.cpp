// The engine's text log, "Ombrix.log" in the current directory.
#include "core/core.h"

FILE* logFile;

void logOpen(void)
{
    // Binary: the texts reach the file byte for byte, "\n" as it is also on
    // Windows.
    logFile = fopen("Ombrix.log", "wb");
    logWrite("Ombrix Logfile\n\n");
}

void logWrite(const char* text)
{
    if (logFile && text)
        fputs(text, logFile);
}

void logClose(void)
{
    if (logFile) {
        fclose(logFile);
        logFile = NULL;
    }
}

// Engine core: the process-wide state shared by every subsystem, the log,
// counted allocation, executable resources, floating-point set-up and the
// display settings.
#ifndef OBX_CORE_CORE_H
#define OBX_CORE_CORE_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <glide.h>
#include <glideutl.h>

#include "public.h"

// What the core keeps: the log, the byte count, the board and its window,
// the display settings and the counters. Only the core's own functions write
// it; every other subsystem reads it.
typedef struct CoreState {
    FILE* logFile;             // null when the log is closed or could not be created
    uint32_t bytesAllocated;   // requested bytes since the last obxInitialize
    float snapConstant;        // 1.5 * 2^19: adding and subtracting it rounds to 1/16
    // The board and its window.
    HWND appWindow;   // the application's window, kept for obxSetFocus
    GrContext_t glideContext;
    GrScreenResolution_t glideResolution;
    int32_t tmuCount;           // texture units on the board
    uint32_t depthClearValue;   // farthest W-buffer value
    int32_t focusLost;
    uint8_t* glideState;   // Glide state saved while the focus is lost
    // The display.
    float screenWidth, screenHeight;
    float scale2dX, scale2dY;   // screen size / 640 x 480: the 2D drawing space
    int32_t fogMode;            // 0 off, 1 linear table fog, others stored only
    uint8_t* fogTable;          // one byte per Glide fog-table entry
    int32_t vsyncFlag;          // swap interval passed to grBufferSwap
    uint32_t frameCount;
    PerformanceCounters performanceCounters;
} CoreState;
extern CoreState core;

// ---- Log ("Ombrix.log" in the current directory) -------------------------
void logOpen(void);                // creates the file and writes the header
void logWrite(const char* text);   // appends text verbatim, never as a format
void logClose(void);

// ---- Counted allocation --------------------------------------------------
void* countedAlloc(size_t size);   // malloc that adds size to bytesAllocated on success
void allocationCountReset(void);   // bytesAllocated = 0 (the start of obxInitialize)

// ---- Records the application may delete (objects, light sources) ------------
// Debug builds keep them, so that deleting one twice stops at once, naming the
// call; release builds keep nothing and leave a double delete the caller's error.
typedef struct LiveRecords {
    const void** items;
    size_t count, capacity;
    size_t unkept;   // records out of memory kept it from holding
} LiveRecords;
#ifdef NDEBUG
static inline void liveRecordAdd(LiveRecords*, const void*) {}
static inline void liveRecordRemove(LiveRecords*, const void*, const char*) {}
#else
void liveRecordAdd(LiveRecords* set, const void* record);
// Aborts with `call` in the message when the record is not in the set.
void liveRecordRemove(LiveRecords* set, const void* record, const char* call);
#endif

// ---- Resources embedded in the main executable -------------------------
// Returns the bytes of resource (typeName, id) of the running program, or null
// when it is absent or empty (*outSize still tells the size found, 0 if none).
const void* resourceRead(uint16_t id, const char* typeName, uint32_t* outSize);

// ---- Colours ------------------------------------------------------------------
// The byte of a value 0..255 (an opacity or a colour channel): truncated,
// held to 0..255.
uint32_t channelByte(float value);
// The 0x00RRGGBB word Glide gets for a 0..1 colour: each channel times 255,
// truncated, held to 0..255.
GrColor_t colourWord(const float* rgb);

// ---- Floating point -------------------------------------------------------
void fpuSetup(void);
// Rounds a screen coordinate to 1/16 pixel. Inline: every drawn vertex takes
// it twice.
static inline void snapToSubpixel(float* value)
{
    // Each step rounds to a float (SSE arithmetic, no fused or fast maths),
    // leaving the value on the nearest multiple of 1/16.
    float sum = *value + core.snapConstant;
    *value = sum - core.snapConstant;
}

// ---- Glide: board, window and focus ------------------------------------------------
// The start-up steps of Glide itself, in the order obxInitialize takes them.
// Those returning int give 0 on failure.
int glideBoardCheck(void);                   // logs when there is no board
void glideStart(void);                       // Glide, the FPU, the hardware logged, board 0
int displayModeCheck(int resolutionIndex);   // the board offers the mode
int glideWindowStart(HWND window);           // keeps the window and opens Glide's
void displaySizeSet(int resolutionIndex);    // texture units and screen size
void textureUnitsDefaultSet(void);           // filtering, mipmaps, clamping, unit 0's combine
void depthDefaultSet(void);                  // W buffer, LEQUAL, alpha test always
// Declares the engine's draw vertex (DrawVer) to Glide in window
// coordinates: the object default that passes changing the layout restore.
void vertexLayoutSet(void);
// The draw vertex's attributes alone, without the coordinate space.
void objectVertexLayoutSet(void);
// The engine's default pixel state, which passes that change it restore:
// texture colour times the iterated vertex colour; alpha from the constant
// colour; blending by source alpha.
void colourCombineDefault(void);
void alphaCombineDefault(void);
void alphaBlendDefault(void);
void depthClearValueInit(void);
int glideStateBufferCreate(void);   // room for the state while the focus is lost
// Opens the Glide window with the resolution and window kept at start-up.
GrContext_t glideWindowOpen(void);
// Focus: the state saved and the window closed; the window reopened and the
// state restored (1 when it was). Each does nothing when already done.
void glideWindowSave(void);
int glideWindowRestore(void);
// Closes the window, if open, and shuts Glide down.
void glideShutdown(void);

// ---- Display settings and counters -------------------------------------------
void scale2dSet(void);   // from the screen size
int fogTableCreate(void);
// Fills the fog table linearly from w = nearW to w = farW and hands it to Glide.
void fogTableLinear(float nearW, float farW);
void fogModeReset(void);   // fog off, no Glide call
// Mode 0 switches fog off, mode 1 on with the table linear from nearW to farW;
// any other mode is only stored.
void fogModeSet(int mode, float nearW, float farW);
// The counters: a polygon handed to Glide, a frame rendered.
static inline void polygonCounted(void)
{
    core.performanceCounters.polygonsDrawn += 1;
}
void frameCounted(void);

#endif

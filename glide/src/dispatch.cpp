// Handing work to the rasterizer: at once on the application's thread, or
// through a queue to rasterizer threads of the device's own, as the real board
// ran beside the processor.
//
// The screen is cut into bands of BAND_ROWS rows. The application's thread
// sets each primitive up once, writes it into a ring of commands and notes
// it in every band it touches; a thread draws a whole band at a time, its
// commands in the order they were given, and no two threads draw one band
// at once. So every pixel meets its commands in order and the picture is the
// same bit for bit as on one thread, while each thread walks only the rows
// of its bands. The threads take whichever band has work: one that is slow
// or descheduled holds up only the band in its hands. Whatever reads or
// writes the buffers from the application's side (swaps, frame-buffer reads
// and writes, grFinish, the statistics) first waits for the queue to drain,
// and while the application's thread waits it draws bands itself.
#include "pixel.h"

#include <emmintrin.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include "platform.h"

namespace {

enum CommandKind : uint32_t { CMD_PIPELINE, CMD_TRIANGLE, CMD_PIXELS, CMD_CLEAR };

// Every command starts on a 64-byte boundary with this header. `size` is
// the whole command's, padding included. The ring keeps everything from
// the oldest `pathAt` of a command not yet drawn: a command's pixel path
// lies before it in the ring.
struct CommandHeader {
    uint32_t kind;
    uint32_t size;
    uint64_t pathAt;      // ring position of the pixel path it is drawn with (its own when it has none)
    const Pipeline* path; // that path
};

struct alignas(64) PixelsCommand {
    CommandHeader header;
    Setup setup;
    int count;
    PixelAt at[64];
};

struct alignas(64) PipelineCommand {
    CommandHeader header;
    Pipeline path;
};

struct alignas(64) TriangleCommand {
    CommandHeader header;
    Triangle triangle;
};

struct alignas(64) ClearJobCommand {
    CommandHeader header;
    ClearJob job;
};

const size_t RING_BYTES = 4u << 20;
// Rows per band: small enough that two threads share the small primitives
// of a scene evenly, large enough that most of them lie in one band.
const int BAND_ROWS = 16;
// Commands a band can have waiting (a power of two).
const uint64_t BAND_ENTRIES = 4096;

struct alignas(64) Band {
    std::atomic<uint32_t> owner;     // 1 while a thread draws the band
    int rowBegin, rowEnd;            // its rows, half-open
    uint32_t* entries;               // ring of commands (ring offset / 64), BAND_ENTRIES long
    uint64_t written;                // entries written (the application's thread's own count)
    alignas(64) std::atomic<uint64_t> published; // entries the threads may draw
    alignas(64) std::atomic<uint64_t> done;      // entries drawn
};

struct Worker {
    std::thread thread;
    int firstBand; // where it starts looking for work
    alignas(64) Span span;
};

// The span record of pixels drawn on the application's thread.
Span directSpan;

uint8_t* ring;
uint64_t writeAt; // ring position of the next command (bytes since the start)
Band* bands;
int bandCount;
std::vector<Worker*> workers;
std::atomic<bool> quitting;
bool pathSent;   // the ring holds the current pixel path, at pathAt
uint64_t pathAt;
const Pipeline* pathInRing;
int lfbLocks; // while the application holds the frame buffer, no queue

// Sleeping and waking. A sleeper counts itself, checks once more what it
// waits for, and sleeps on an event number; a waker changes what the sleeper
// waits for, sees the count and bumps the number (every step sequentially
// consistent, so one of the two always sees the other).
struct Event {
    std::atomic<uint32_t> number{0};
    std::atomic<int> sleepers{0};
};
Event commandsCame, workDone;

void eventWake(Event& e)
{
    e.number.fetch_add(1);
    wordWakeAll(&e.number);
}

template <typename Cond> void eventSleep(Event& e, Cond ready)
{
    e.sleepers.fetch_add(1);
    while (!ready()) {
        uint32_t n = e.number.load();
        if (ready())
            break;
        wordWait(&e.number, n);
    }
    e.sleepers.fetch_sub(1);
}

// Texel buffers of decoded textures the queue may still read, freed once
// every command given before they were dropped is drawn. Never destroyed,
// like the texture cache: threads may still run when the program ends.
struct Retired {
    void* memory;
    uint64_t at;
};
std::vector<Retired>& retired = *new std::vector<Retired>;

const CommandHeader* commandAt(uint32_t entry) { return (const CommandHeader*)(ring + (size_t)entry * 64); }

// The oldest ring position a command not yet drawn still reads (writeAt
// when every command is drawn).
uint64_t oldestNeeded(void)
{
    uint64_t oldest = writeAt;
    for (int i = 0; i < bandCount; i++) {
        Band& b = bands[i];
        uint64_t done = b.done.load(std::memory_order_acquire);
        if (done != b.written) {
            uint64_t at = commandAt(b.entries[done % BAND_ENTRIES])->pathAt;
            oldest = at < oldest ? at : oldest;
        }
    }
    return oldest;
}

bool allDrawn(void)
{
    for (int i = 0; i < bandCount; i++)
        if (bands[i].done.load(std::memory_order_acquire) != bands[i].written)
            return false;
    return true;
}

void reclaim(void)
{
    if (retired.empty())
        return;
    uint64_t needed = workers.empty() ? UINT64_MAX : oldestNeeded();
    size_t kept = 0;
    for (Retired& r : retired) {
        if (r.at <= needed)
            alignedFree(r.memory);
        else
            retired[kept++] = r;
    }
    retired.resize(kept);
}

// Draws one command's rows within a band.
void commandDraw(Span* s, const CommandHeader* c, int rowBegin, int rowEnd)
{
    s->path = c->path;
    switch (c->kind) {
    case CMD_TRIANGLE: triangleRows(s, &((const TriangleCommand*)c)->triangle, rowBegin, rowEnd); break;
    case CMD_PIXELS: {
        const PixelsCommand* p = (const PixelsCommand*)c;
        pixelsDraw(s, &p->setup, p->at, p->count, rowBegin, rowEnd);
        break;
    }
    case CMD_CLEAR: clearRows(&((const ClearJobCommand*)c)->job, rowBegin, rowEnd); break;
    default: break;
    }
}

// Draws everything a band has waiting; the caller owns the band.
void bandDraw(Span* s, Band& b)
{
    uint64_t done = b.done.load(std::memory_order_relaxed);
    for (;;) {
        uint64_t published = b.published.load(std::memory_order_acquire);
        if (done == published)
            return;
        for (; done != published; done++) {
            commandDraw(s, commandAt(b.entries[done % BAND_ENTRIES]), b.rowBegin, b.rowEnd);
            b.done.store(done + 1, std::memory_order_release);
        }
    }
}

bool bandClaimable(const Band& b)
{
    return b.owner.load(std::memory_order_relaxed) == 0 &&
           b.done.load(std::memory_order_relaxed) != b.published.load(std::memory_order_acquire);
}

bool anyClaimable(void)
{
    for (int i = 0; i < bandCount; i++)
        if (bandClaimable(bands[i]))
            return true;
    return false;
}

// Claims the first band from `first` on that has work no one draws, and
// draws it; false when there is none.
bool drawSomeBand(Span* s, int first)
{
    for (int k = 0; k < bandCount; k++) {
        Band& b = bands[(first + k) % bandCount];
        if (!bandClaimable(b))
            continue;
        uint32_t free = 0;
        if (!b.owner.compare_exchange_strong(free, 1, std::memory_order_acquire))
            continue;
        bandDraw(s, b);
        b.owner.store(0, std::memory_order_release);
        if (workDone.sleepers.load() > 0)
            eventWake(workDone);
        return true;
    }
    return false;
}

// Sleeping threads are woken by a command with much to draw, once this many
// bytes of commands wait, or when the application waits for the queue: a
// wake costs more than a small triangle.
const uint64_t WAKE_BYTES = 256u << 10;
uint64_t wokenAt; // the write position at the last wake

void wakeWorkers(void)
{
    wokenAt = writeAt;
    if (commandsCame.sleepers.load() > 0)
        eventWake(commandsCame);
}

// The application's thread waits until cond() holds, drawing bands no one
// else draws meanwhile, then spinning a little and sleeping until a thread
// finishes a band.
template <typename Cond> void producerWait(Cond cond)
{
    if (cond())
        return;
    wakeWorkers();
    for (;;) {
        if (cond())
            return;
        if (drawSomeBand(&directSpan, 0))
            continue;
        bool ready = false;
        for (int spin = 0; spin < 64 && !ready; spin++) {
            _mm_pause();
            ready = cond() || anyClaimable();
        }
        if (!ready)
            eventSleep(workDone, [&] { return cond() || anyClaimable(); });
    }
}

// Room for a command of `bytes` (a multiple of 64) at the write position;
// no command wraps round the ring's end.
void* reserve(size_t bytes)
{
    size_t pos = (size_t)(writeAt % RING_BYTES);
    if (pos + bytes > RING_BYTES) {
        writeAt += RING_BYTES - pos;
        pos = 0;
    }
    // The current pixel path stays for the commands still to come, unless
    // it lies so far back that it would hold up the ring: then the next
    // command that needs it sends a fresh copy.
    if (pathSent && writeAt + bytes - pathAt > RING_BYTES / 2)
        pathSent = false;
    producerWait([&] {
        uint64_t oldest = oldestNeeded();
        if (pathSent && pathAt < oldest)
            oldest = pathAt;
        return writeAt + bytes - oldest <= RING_BYTES;
    });
    return ring + pos;
}

template <typename T> T* commandBegin(CommandKind kind)
{
    static_assert(sizeof(T) % 64 == 0, "commands fill whole 64-byte blocks");
    T* c = (T*)reserve(sizeof(T));
    c->header.kind = kind;
    c->header.size = (uint32_t)sizeof(T);
    c->header.pathAt = writeAt;
    c->header.path = nullptr;
    return c;
}

void sendPathIfNew(void)
{
    if (pathSent)
        return;
    PipelineCommand* c = commandBegin<PipelineCommand>(CMD_PIPELINE);
    memcpy((void*)&c->path, (const void*)&pixelPath, sizeof pixelPath);
    pathAt = writeAt;
    pathInRing = &c->path;
    writeAt += c->header.size;
    pathSent = true;
}

// Notes the command just written in the bands of rows [rowFirst, rowLast]
// and lets the threads have it.
void commandEnd(CommandHeader* h, int rowFirst, int rowLast, bool large)
{
    if (h->kind != CMD_CLEAR) {
        h->pathAt = pathAt;
        h->path = pathInRing;
    }
    uint32_t entry = (uint32_t)((writeAt % RING_BYTES) / 64);
    writeAt += h->size;
    int first = rowFirst / BAND_ROWS, last = rowLast / BAND_ROWS;
    first = first < 0 ? 0 : first;
    last = last < bandCount ? last : bandCount - 1;
    for (int i = first; i <= last; i++) {
        Band& b = bands[i];
        if (b.written - b.done.load(std::memory_order_acquire) == BAND_ENTRIES)
            producerWait([&] { return b.written - b.done.load(std::memory_order_acquire) < BAND_ENTRIES; });
        b.entries[b.written % BAND_ENTRIES] = entry;
        b.written++;
        b.published.store(b.written, std::memory_order_release);
    }
    if (commandsCame.sleepers.load() > 0 && (large || writeAt - wokenAt >= WAKE_BYTES))
        wakeWorkers();
}

bool queued(void) { return !workers.empty() && lfbLocks == 0; }

void workerRun(Worker* w)
{
    w->span.path = nullptr;
    for (;;) {
        if (drawSomeBand(&w->span, w->firstBand))
            continue;
        if (quitting.load())
            return;
        bool ready = false;
        for (int spin = 0; spin < 64 && !ready; spin++) {
            _mm_pause();
            ready = anyClaimable();
        }
        if (!ready)
            eventSleep(commandsCame, [] { return quitting.load() || anyClaimable(); });
    }
}

void bandsFree(void)
{
    for (int i = 0; i < bandCount; i++) {
        free(bands[i].entries);
        bands[i].~Band();
    }
    alignedFree(bands);
    bands = nullptr;
    bandCount = 0;
}

} // namespace

Span* callerSpan(void)
{
    directSpan.path = &pixelPath;
    return &directSpan;
}

void queueStart(int threads)
{
    queueStop();
    if (threads <= 0 || dev.height <= 0)
        return;
    ring = (uint8_t*)alignedAlloc(64, RING_BYTES);
    int count = (dev.height + BAND_ROWS - 1) / BAND_ROWS;
    bands = (Band*)alignedAlloc(alignof(Band), sizeof(Band) * (size_t)count);
    if (!ring || !bands) {
        alignedFree(ring);
        alignedFree(bands);
        ring = nullptr;
        bands = nullptr;
        return;
    }
    for (int i = 0; i < count; i++) {
        Band* b = new (&bands[i]) Band;
        b->owner.store(0);
        b->rowBegin = i * BAND_ROWS;
        b->rowEnd = b->rowBegin + BAND_ROWS;
        b->entries = (uint32_t*)malloc(sizeof(uint32_t) * BAND_ENTRIES);
        b->written = 0;
        b->published.store(0);
        b->done.store(0);
        bandCount = i + 1;
        if (!b->entries) {
            bandsFree();
            alignedFree(ring);
            ring = nullptr;
            return;
        }
    }
    writeAt = 0;
    wokenAt = 0;
    pathSent = false;
    lfbLocks = 0;
    quitting.store(false);
    workers.resize((size_t)threads);
    for (int i = 0; i < threads; i++) {
        Worker* w = new (alignedAlloc(alignof(Worker), sizeof(Worker))) Worker;
        // Each begins in a part of the screen of its own.
        w->firstBand = count * i / threads;
        w->span.pixelsWritten = 0;
        workers[(size_t)i] = w;
    }
    for (Worker* w : workers)
        w->thread = std::thread(workerRun, w);
}

void queueStop(void)
{
    if (workers.empty())
        return;
    queueDrain();
    quitting.store(true);
    eventWake(commandsCame);
    for (Worker* w : workers) {
        w->thread.join();
        directSpan.pixelsWritten += w->span.pixelsWritten;
        w->~Worker();
        alignedFree(w);
    }
    workers.clear();
    reclaim();
    bandsFree();
    alignedFree(ring);
    ring = nullptr;
}

void queueDrain(void)
{
    if (workers.empty())
        return;
    producerWait(allDrawn);
    reclaim();
}

void queuePathChanged(void) { pathSent = false; }

void queueLfbLock(bool locked)
{
    if (locked) {
        queueDrain();
        lfbLocks++;
    } else if (lfbLocks > 0) {
        lfbLocks--;
    }
}

void queueRetire(void* memory)
{
    if (workers.empty()) {
        alignedFree(memory);
        return;
    }
    retired.push_back({memory, writeAt});
    reclaim();
}

void submitTriangle(const Triangle* t)
{
    if (!queued()) {
        triangleRows(callerSpan(), t, t->rowFirst, t->rowLast + 1);
        return;
    }
    sendPathIfNew();
    TriangleCommand* c = commandBegin<TriangleCommand>(CMD_TRIANGLE);
    c->triangle = *t;
    commandEnd(&c->header, t->rowFirst, t->rowLast, t->rowLast - t->rowFirst >= 32);
}

void submitPixels(const Setup* setup, const PixelAt* at, int count)
{
    if (!queued()) {
        pixelsDraw(callerSpan(), setup, at, count, INT_MIN, INT_MAX);
        return;
    }
    sendPathIfNew();
    PixelsCommand* c = commandBegin<PixelsCommand>(CMD_PIXELS);
    c->setup = *setup;
    c->count = count;
    memcpy(c->at, at, sizeof(PixelAt) * (size_t)count);
    int top = INT_MAX, bottom = INT_MIN;
    for (int i = 0; i < count; i++) {
        top = at[i].y < top ? at[i].y : top;
        bottom = at[i].y > bottom ? at[i].y : bottom;
    }
    commandEnd(&c->header, top, bottom, false);
}

void submitClear(const ClearJob* job)
{
    if (!queued()) {
        clearRows(job, job->rect.y0, job->rect.y1);
        return;
    }
    ClearJobCommand* c = commandBegin<ClearJobCommand>(CMD_CLEAR);
    c->job = *job;
    commandEnd(&c->header, job->rect.y0, job->rect.y1 - 1, true);
}

void statsRead(GrObxStats* out)
{
    queueDrain();
    *out = dev.stats;
    out->pixelsWritten = directSpan.pixelsWritten;
    for (Worker* w : workers)
        out->pixelsWritten += w->span.pixelsWritten;
}

void statsReset(void)
{
    queueDrain();
    memset(&dev.stats, 0, sizeof dev.stats);
    directSpan.pixelsWritten = 0;
    for (Worker* w : workers)
        w->span.pixelsWritten = 0;
}

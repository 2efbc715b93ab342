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
//
// A new pixel path goes into the ring whole, or, when it differs from the
// last whole one in a few places (a new texture source, as a landscape sets
// for every piece of ground), as the 64-byte blocks that differ. Each thread
// keeps its own copy of the path it draws with and brings it up to date from
// the ring when a command names another.
#include "pixel.h"

#include <emmintrin.h>

#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include "platform.h"

namespace {

enum CommandKind : uint32_t { CMD_PIPELINE, CMD_PATH_DELTA, CMD_TRIANGLE, CMD_PIXELS, CMD_CLEAR };

struct PathDelta;

// Every command starts on a 64-byte boundary with this header. `size` is
// the whole command's, padding included. The ring keeps everything from
// the oldest `pathAt` of a command not yet drawn: a command's pixel path
// (and the changes to it) lie before it in the ring. Ring positions count
// bytes from the start and never repeat, so they also name a path.
struct CommandHeader {
    uint32_t kind;
    uint32_t size;
    uint64_t
        pathAt;   // ring position of the whole pixel path it is drawn with (a clear: the last one sent)
    uint64_t deltaAt;         // ring position of the changes to that path, or NO_DELTA
    const Pipeline* path;     // that path
    const PathDelta* delta;   // and its changes
};

const uint64_t NO_DELTA = ~(uint64_t)0;

// A pixel path in 64-byte blocks; a delta carries the blocks in which it
// differs from the whole path before it, from byte 64 of the command on.
enum { PATH_BLOCKS = (sizeof(Pipeline) + 63) / 64, DELTA_BLOCKS_MAX = 8 };
static_assert(PATH_BLOCKS <= 32, "a delta's block mask is 32 bits");

struct alignas(64) PathDelta {
    CommandHeader header;
    uint32_t blocks;   // bit k: block k of the path follows
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
    std::atomic<uint32_t> owner;   // 1 while a thread draws the band
    int rowBegin, rowEnd;          // its rows, half-open
    uint32_t* entries;             // ring of commands (ring offset / 64), BAND_ENTRIES long
    uint64_t written;              // entries written (the application's thread's own count)
    alignas(64) std::atomic<uint64_t> published;   // entries the threads may draw
    alignas(64) std::atomic<uint64_t> done;        // entries drawn
};

inline size_t blockBytes(int k)
{
    return k + 1 < (int)PATH_BLOCKS ? 64 : sizeof(Pipeline) - 64 * (size_t)k;
}

// A thread's copy of the pixel path it draws with: a whole path from the
// ring, with a delta's blocks in place.
struct PathCopy {
    Pipeline path;
    uint64_t pathAt = NO_DELTA, deltaAt = NO_DELTA;
    uint32_t blocks = 0;   // the blocks the delta in place changed
};

void pathCopyUse(PathCopy& copy, const CommandHeader* c)
{
    if (c->pathAt != copy.pathAt) {
        memcpy((void*)&copy.path, (const void*)c->path, sizeof(Pipeline));
        copy.pathAt = c->pathAt;
        copy.deltaAt = NO_DELTA;
        copy.blocks = 0;
    }
    if (c->deltaAt == copy.deltaAt)
        return;
    uint8_t* to = (uint8_t*)&copy.path;
    const uint8_t* whole = (const uint8_t*)c->path;
    for (uint32_t m = copy.blocks; m; m &= m - 1) {
        int k = __builtin_ctz(m);
        memcpy(to + 64 * k, whole + 64 * k, blockBytes(k));
    }
    copy.blocks = 0;
    if (c->delta) {
        const uint8_t* from = (const uint8_t*)c->delta + 64;
        for (uint32_t m = c->delta->blocks; m; m &= m - 1) {
            int k = __builtin_ctz(m);
            memcpy(to + 64 * k, from, blockBytes(k));
            from += 64;
        }
        copy.blocks = c->delta->blocks;
    }
    copy.deltaAt = c->deltaAt;
}

struct Worker {
    std::thread thread;
    int firstBand;   // where it starts looking for work
    alignas(64) Span span;
    PathCopy copy;
};

// The span record of pixels drawn on the application's thread, and its copy
// of the path when it draws from the ring.
Span directSpan;
PathCopy& directCopy = *new PathCopy;

uint8_t* ring;
uint64_t writeAt;   // ring position of the next command (bytes since the start)
// At most the oldest ring position a command not yet drawn reads.
uint64_t ringNeededFrom;
Band* bands;
int bandCount;
std::vector<Worker*> workers;
std::atomic<bool> quitting;
bool pathSent;   // the ring holds the current pixel path, at pathAt (and deltaAt)
uint64_t pathAt, deltaAt;
const Pipeline* pathInRing;
const PathDelta* deltaInRing;
bool wholeSent;   // the ring holds a whole path at pathAt that deltas may refer to
// Blocks of the pixel path that may differ from the whole one in the ring:
// a new texture source changes a few, and only those are compared.
uint32_t blocksChanged;
int lfbLocks;     // while the application holds the frame buffer, no queue

// Sleeping and waking. A sleeper counts itself, checks once more what it
// waits for, and sleeps on an event number; a waker changes what the sleeper
// waits for, looks at the count and bumps the number. A full fence stands
// between each one's write and its read on both sides, so one of the two
// always sees the other: the band owners, counts and positions a sleeper
// looks at are stored with release only, and a store may otherwise still
// wait in the processor's buffer while the count is read (both sides then
// missed each other and everyone slept with work undrawn).
struct Event {
    std::atomic<uint32_t> number{0};
    std::atomic<int> sleepers{0};
};
Event commandsCame, workDone;

bool eventHasSleepers(Event& e)
{
    std::atomic_thread_fence(std::memory_order_seq_cst);
    return e.sleepers.load() > 0;
}

void eventWake(Event& e)
{
    e.number.fetch_add(1);
    wordWakeAll(&e.number);
}

template <typename Cond>
void eventSleep(Event& e, Cond ready)
{
    e.sleepers.fetch_add(1);
    std::atomic_thread_fence(std::memory_order_seq_cst);
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

const CommandHeader* commandAt(uint32_t entry)
{
    return (const CommandHeader*)(ring + (size_t)entry * 64);
}

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

// Buffers are retired in the order of their positions, so those that can
// go are the oldest few: freeing them costs no walk over the rest (a scene
// that drops textures by the thousand while the threads draw kept a long
// list, walked at every drop).
size_t retiredFirst;   // retired[0, retiredFirst) are freed already

void reclaim(void)
{
    if (retiredFirst == retired.size())
        return;
    uint64_t needed = workers.empty() ? UINT64_MAX : oldestNeeded();
    size_t i = retiredFirst;
    for (; i < retired.size() && retired[i].at <= needed; i++)
        texBlockPut(retired[i].memory);
    retiredFirst = i;
    if (retiredFirst == retired.size()) {
        retired.clear();
        retiredFirst = 0;
    } else if (retiredFirst >= 256 && 2 * retiredFirst >= retired.size()) {
        retired.erase(retired.begin(), retired.begin() + (ptrdiff_t)retiredFirst);
        retiredFirst = 0;
    }
}

// Draws one command's rows within a band.
void commandDraw(Span* s, PathCopy& copy, const CommandHeader* c, int rowBegin, int rowEnd)
{
    if (c->kind != CMD_CLEAR) {
        pathCopyUse(copy, c);
        s->path = &copy.path;
    }
    switch (c->kind) {
    case CMD_TRIANGLE:
        triangleRows(s, &((const TriangleCommand*)c)->triangle, rowBegin, rowEnd);
        break;
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
void bandDraw(Span* s, PathCopy& copy, Band& b)
{
    uint64_t done = b.done.load(std::memory_order_relaxed);
    for (;;) {
        uint64_t published = b.published.load(std::memory_order_acquire);
        if (done == published)
            return;
        for (; done != published; done++) {
            commandDraw(s, copy, commandAt(b.entries[done % BAND_ENTRIES]), b.rowBegin, b.rowEnd);
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
bool drawSomeBand(Span* s, PathCopy& copy, int first)
{
    for (int k = 0; k < bandCount; k++) {
        Band& b = bands[(first + k) % bandCount];
        if (!bandClaimable(b))
            continue;
        uint32_t free = 0;
        if (!b.owner.compare_exchange_strong(free, 1, std::memory_order_acquire))
            continue;
        bandDraw(s, copy, b);
        b.owner.store(0, std::memory_order_release);
        if (eventHasSleepers(workDone))
            eventWake(workDone);
        return true;
    }
    return false;
}

// Sleeping threads are woken once commands of this many rows, or this many
// bytes of commands, wait, or when the application waits for the queue: a
// wake costs as much as a few hundred rows of small triangles, and threads
// woken for one large triangle would soon sleep again.
const uint64_t WAKE_ROWS = 1024, WAKE_BYTES = 256u << 10;
uint64_t wokenAt;     // the write position at the last wake
uint64_t rowsSince;   // rows of the commands since then

void wakeWorkers(void)
{
    wokenAt = writeAt;
    rowsSince = 0;
    if (eventHasSleepers(commandsCame))
        eventWake(commandsCame);
}

// The application's thread waits until cond() holds, drawing bands no one
// else draws meanwhile, then spinning a little and sleeping until a thread
// finishes a band.
template <typename Cond>
void producerWait(Cond cond)
{
    if (cond())
        return;
    wakeWorkers();
    for (;;) {
        if (cond())
            return;
        if (drawSomeBand(&directSpan, directCopy, 0))
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
    // The last whole pixel path stays for the commands still to come, unless
    // it lies so far back that it would hold up the ring: then the next
    // command that needs a path sends a fresh whole one.
    if (wholeSent && writeAt + bytes - pathAt > RING_BYTES / 2)
        pathSent = wholeSent = false;
    // While the oldest position needed as last seen (lowered by every
    // command queued since) leaves room, there is room, and the bands need
    // not be asked.
    uint64_t needed = wholeSent && pathAt < ringNeededFrom ? pathAt : ringNeededFrom;
    if (writeAt + bytes - needed <= RING_BYTES)
        return ring + pos;
    producerWait([&] {
        uint64_t oldest = oldestNeeded();
        if (wholeSent && pathAt < oldest)
            oldest = pathAt;
        ringNeededFrom = oldest;
        return writeAt + bytes - oldest <= RING_BYTES;
    });
    return ring + pos;
}

template <typename T>
T* commandBegin(CommandKind kind, size_t bytes = sizeof(T))
{
    static_assert(sizeof(T) % 64 == 0, "commands fill whole 64-byte blocks");
    T* c = (T*)reserve(bytes);
    c->header.kind = kind;
    c->header.size = (uint32_t)bytes;
    c->header.pathAt = writeAt;
    c->header.deltaAt = NO_DELTA;
    c->header.path = nullptr;
    c->header.delta = nullptr;
    return c;
}

void sendPathIfNew(void)
{
    if (pathSent)
        return;
    const uint8_t* now = (const uint8_t*)&pixelPath;
    if (wholeSent) {
        const uint8_t* whole = (const uint8_t*)pathInRing;
        uint32_t blocks = 0;
        int count = 0;
        for (uint32_t m = blocksChanged & ((1u << PATH_BLOCKS) - 1); m; m &= m - 1) {
            int k = __builtin_ctz(m);
            if (memcmp(now + 64 * k, whole + 64 * k, blockBytes(k)) != 0) {
                blocks |= 1u << k;
                count++;
            }
        }
        blocksChanged = blocks;
        // reserve() may find the whole path too far back, and forget it.
        PathDelta* d = count <= DELTA_BLOCKS_MAX
                           ? commandBegin<PathDelta>(CMD_PATH_DELTA, 64 + 64 * (size_t)count)
                           : nullptr;
        if (d && wholeSent) {
            d->blocks = blocks;
            uint8_t* to = (uint8_t*)d + 64;
            for (uint32_t m = blocks; m; m &= m - 1) {
                int k = __builtin_ctz(m);
                memcpy(to, now + 64 * k, blockBytes(k));
                to += 64;
            }
            deltaAt = writeAt;
            deltaInRing = d;
            writeAt += d->header.size;
            pathSent = true;
            return;
        }
    }
    PipelineCommand* c = commandBegin<PipelineCommand>(CMD_PIPELINE);
    memcpy((void*)&c->path, (const void*)&pixelPath, sizeof pixelPath);
    pathAt = writeAt;
    pathInRing = &c->path;
    deltaAt = NO_DELTA;
    deltaInRing = nullptr;
    writeAt += c->header.size;
    pathSent = wholeSent = true;
    blocksChanged = 0;
}

// Notes the command just written in the bands of rows [rowFirst, rowLast]
// and lets the threads have it.
void commandEnd(CommandHeader* h, int rowFirst, int rowLast)
{
    // A clear reads no path, but carries the last one's position too: the
    // positions in each band then never go down, so the first command a band
    // has waiting names the oldest path it still needs (a triangle queued
    // after a clear may be drawn with a path sent before it).
    h->pathAt = pathAt;
    if (pathAt < ringNeededFrom)
        ringNeededFrom = pathAt;
    if (h->kind != CMD_CLEAR) {
        h->path = pathInRing;
        h->deltaAt = deltaAt;
        h->delta = deltaInRing;
    }
    uint32_t entry = (uint32_t)((writeAt % RING_BYTES) / 64);
    writeAt += h->size;
    int first = rowFirst / BAND_ROWS, last = rowLast / BAND_ROWS;
    first = first < 0 ? 0 : first;
    last = last < bandCount ? last : bandCount - 1;
    for (int i = first; i <= last; i++) {
        Band& b = bands[i];
        if (b.written - b.done.load(std::memory_order_acquire) == BAND_ENTRIES)
            producerWait(
                [&] { return b.written - b.done.load(std::memory_order_acquire) < BAND_ENTRIES; });
        b.entries[b.written % BAND_ENTRIES] = entry;
        b.written++;
        b.published.store(b.written, std::memory_order_release);
    }
    rowsSince += (uint64_t)(rowLast - rowFirst + 1);
    if ((rowsSince >= WAKE_ROWS || writeAt - wokenAt >= WAKE_BYTES) &&
        eventHasSleepers(commandsCame))
        wakeWorkers();
}

bool queued(void)
{
    return !workers.empty() && lfbLocks == 0;
}

void workerRun(Worker* w)
{
    w->span.path = nullptr;
    for (;;) {
        if (drawSomeBand(&w->span, w->copy, w->firstBand))
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

}   // namespace

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
    ringNeededFrom = 0;
    pathAt = 0;
    deltaAt = NO_DELTA;
    wokenAt = 0;
    rowsSince = 0;
    pathSent = wholeSent = false;
    directCopy.pathAt = directCopy.deltaAt = NO_DELTA;
    lfbLocks = 0;
    quitting.store(false);
    workers.resize((size_t)threads);
    for (int i = 0; i < threads; i++) {
        Worker* w = new (alignedAlloc(alignof(Worker), sizeof(Worker))) Worker;
        // Each begins in a part of the screen of its own.
        w->firstBand = count * i / threads;
        w->span.pixelsWritten = 0;
        w->span.counts = PixelCounts{};
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
        PixelCounts& c = directSpan.counts;
        c.in += w->span.counts.in;
        c.chromaFailed += w->span.counts.chromaFailed;
        c.alphaFailed += w->span.counts.alphaFailed;
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

void queueDrainRows(int rowBegin, int rowEnd)
{
    if (workers.empty() || rowBegin >= rowEnd)
        return;
    int first = rowBegin / BAND_ROWS > 0 ? rowBegin / BAND_ROWS : 0;
    int last = (rowEnd - 1) / BAND_ROWS < bandCount ? (rowEnd - 1) / BAND_ROWS : bandCount - 1;
    producerWait([&] {
        for (int i = first; i <= last; i++)
            if (bands[i].done.load(std::memory_order_acquire) != bands[i].written)
                return false;
        return true;
    });
}

void queuePathChanged(void)
{
    pathSent = false;
    blocksChanged = ~0u;
}

uint32_t queuePathBlocks(const void* at, size_t bytes)
{
    size_t offset = (size_t)((const uint8_t*)at - (const uint8_t*)&pixelPath);
    uint32_t blocks = 0;
    for (size_t k = offset / 64; k <= (offset + bytes - 1) / 64; k++)
        blocks |= 1u << k;
    return blocks;
}

void queuePathChangedBlocks(uint32_t blocks)
{
    blocksChanged |= blocks;
    pathSent = false;
}

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
        texBlockPut(memory);
        return;
    }
    retired.push_back({memory, writeAt});
    // Asking the bands how far they are costs more than freeing: every few
    // buffers (a texture drawn from a full memory drops another each time).
    if ((retired.size() - retiredFirst) % 16 == 0)
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
    commandEnd(&c->header, t->rowFirst, t->rowLast);
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
    commandEnd(&c->header, top, bottom);
}

void submitClear(const ClearJob* job)
{
    if (!queued()) {
        clearRows(job, job->rect.y0, job->rect.y1);
        return;
    }
    ClearJobCommand* c = commandBegin<ClearJobCommand>(CMD_CLEAR);
    c->job = *job;
    commandEnd(&c->header, job->rect.y0, job->rect.y1 - 1);
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
    memset(&dev.stats, 0, sizeof dev.stats);
    dev.pointsDrawn = dev.linesDrawn = dev.trianglesIn = 0;
    pixelCountsReset();
}

void pixelCountsRead(PixelCounts* out)
{
    queueDrain();
    *out = directSpan.counts;
    uint64_t written = directSpan.pixelsWritten;
    for (Worker* w : workers) {
        out->in += w->span.counts.in;
        out->chromaFailed += w->span.counts.chromaFailed;
        out->alphaFailed += w->span.counts.alphaFailed;
        written += w->span.pixelsWritten;
    }
    // Every pixel that came in and was neither keyed out nor failed the
    // alpha test was written or failed the depth test.
    out->depthFailed = out->in - out->chromaFailed - out->alphaFailed - written;
}

void pixelCountsReset(void)
{
    queueDrain();
    directSpan.pixelsWritten = 0;
    directSpan.counts = PixelCounts{};
    for (Worker* w : workers) {
        w->span.pixelsWritten = 0;
        w->span.counts = PixelCounts{};
    }
}

// Handing work to the rasterizer: at once on the application's thread, or
// through a queue to rasterizer threads of the device's own, as the real board
// ran beside the processor.
//
// The queue is a ring of commands the application's thread writes and every
// rasterizer thread reads, in order: a new pixel path, a triangle, a few
// pixels of a point or line, a clear. Each thread draws only the rows whose
// number modulo the thread count is its own, so every pixel sees its commands
// in the order they were given and the picture is the same bit for bit as
// when drawn on one thread. Whatever reads or writes the buffers from the
// application's side (swaps, frame-buffer reads and writes, grFinish, the
// statistics) first waits for the queue to drain.
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

enum CommandKind : uint32_t { CMD_PAD, CMD_PIPELINE, CMD_TRIANGLE, CMD_PIXELS, CMD_CLEAR, CMD_QUIT };

// Every command starts on a 64-byte boundary with this header; `size` is the
// whole command's, padding included.
struct alignas(64) CommandHeader {
    uint32_t kind;
    uint32_t size;
};

struct PixelsCommand {
    CommandHeader header;
    Setup setup;
    int count;
    PixelAt at[64];
};

struct PipelineCommand {
    CommandHeader header;
    Pipeline path;
};

struct TriangleCommand {
    CommandHeader header;
    Triangle triangle;
};

struct ClearCommand {
    CommandHeader header;
    ClearJob job;
};

struct QuitCommand {
    CommandHeader header;
};

const size_t RING_BYTES = 4u << 20;

struct Worker {
    std::thread thread;
    int index;
    alignas(64) std::atomic<uint64_t> tail; // bytes of the ring done
    alignas(64) Span span;
    Pipeline path;
};

// The span record of pixels drawn on the application's thread.
Span directSpan;

uint8_t* ring;
alignas(64) std::atomic<uint64_t> head; // bytes of the ring written
uint64_t writeAt;                       // = head once the command being written is committed
std::vector<Worker*> workers;
bool pathSent;  // the workers have the current pixel path
int lfbLocks;   // while the application holds the frame buffer, no queue

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
// every worker is past the point where they were dropped. Never destroyed,
// like the texture cache: workers may still run when the program ends.
struct Retired {
    void* memory;
    uint64_t at;
};
std::vector<Retired>& retired = *new std::vector<Retired>;

uint64_t slowestTail(void)
{
    uint64_t t = UINT64_MAX;
    for (Worker* w : workers) {
        uint64_t v = w->tail.load(std::memory_order_seq_cst);
        t = v < t ? v : t;
    }
    return t;
}

void reclaim(void)
{
    if (retired.empty())
        return;
    uint64_t done = workers.empty() ? UINT64_MAX : slowestTail();
    size_t kept = 0;
    for (Retired& r : retired) {
        if (r.at <= done)
            alignedFree(r.memory);
        else
            retired[kept++] = r;
    }
    retired.resize(kept);
}

// Sleeping workers are woken by a command with much to draw, once this many
// bytes of commands wait, or when the application waits for the queue: a wake
// costs more than a small triangle.
const uint64_t WAKE_BYTES = 256u << 10;
uint64_t wokenAt; // the write position at the last wake

void wakeWorkers(void)
{
    wokenAt = writeAt;
    if (commandsCame.sleepers.load() > 0)
        eventWake(commandsCame);
}

void publish(uint64_t to, bool large)
{
    head.store(to);
    if (commandsCame.sleepers.load() > 0 && (large || to - wokenAt >= WAKE_BYTES))
        wakeWorkers();
}

// The application's thread waits until every worker has done the ring up to
// `target` (cond() says whether that is so), spinning a little and then
// sleeping until the worker that gets there wakes it.
std::atomic<uint64_t> waitTarget;

template <typename Cond> void producerWait(uint64_t target, Cond cond)
{
    if (cond())
        return;
    wakeWorkers();
    for (int spin = 0; spin < 64; spin++) {
        if (cond())
            return;
        _mm_pause();
    }
    waitTarget.store(target);
    eventSleep(workDone, cond);
}

// Room for a command of `bytes` (a multiple of 64) at the write position.
void* reserve(size_t bytes)
{
    size_t pos = (size_t)(writeAt % RING_BYTES);
    if (pos + bytes > RING_BYTES) { // no command wraps: pad to the ring's end
        size_t pad = RING_BYTES - pos;
        producerWait(writeAt + pad - RING_BYTES, [&] { return writeAt + pad - slowestTail() <= RING_BYTES; });
        CommandHeader* h = (CommandHeader*)(ring + pos);
        h->kind = CMD_PAD;
        h->size = (uint32_t)pad;
        writeAt += pad;
        pos = 0;
    }
    producerWait(writeAt + bytes - RING_BYTES, [&] { return writeAt + bytes - slowestTail() <= RING_BYTES; });
    return ring + pos;
}

template <typename T> T* commandBegin(CommandKind kind, size_t bytes = sizeof(T))
{
    bytes = (bytes + 63) & ~(size_t)63;
    T* c = (T*)reserve(bytes);
    c->header.kind = kind;
    c->header.size = (uint32_t)bytes;
    return c;
}

void commandEnd(const CommandHeader* h, bool large = false)
{
    writeAt += h->size;
    publish(writeAt, large);
}

void sendPathIfNew(void)
{
    if (pathSent)
        return;
    PipelineCommand* c = commandBegin<PipelineCommand>(CMD_PIPELINE);
    memcpy((void*)&c->path, (const void*)&pixelPath, sizeof pixelPath);
    commandEnd(&c->header);
    pathSent = true;
}

bool queued(void) { return !workers.empty() && lfbLocks == 0; }

void workerRun(Worker* w)
{
    int part = w->index, step = (int)workers.size();
    uint64_t tail = 0;
    w->span.path = &w->path;
    for (;;) {
        uint64_t h = head.load(std::memory_order_acquire);
        if (tail == h) {
            bool ready = false;
            for (int spin = 0; spin < 64 && !ready; spin++) {
                _mm_pause();
                ready = head.load(std::memory_order_acquire) != tail;
            }
            if (!ready)
                eventSleep(commandsCame, [&] { return head.load() != tail; });
            continue;
        }
        while (tail != h) {
            const CommandHeader* c = (const CommandHeader*)(ring + tail % RING_BYTES);
            switch (c->kind) {
            case CMD_PIPELINE:
                memcpy((void*)&w->path, (const void*)&((const PipelineCommand*)c)->path, sizeof w->path);
                break;
            case CMD_TRIANGLE: triangleRows(&w->span, &((const TriangleCommand*)c)->triangle, part, step); break;
            case CMD_PIXELS: {
                const PixelsCommand* p = (const PixelsCommand*)c;
                pixelsDraw(&w->span, &p->setup, p->at, p->count, part, step);
                break;
            }
            case CMD_CLEAR: clearRows(&((const ClearCommand*)c)->job, part, step); break;
            case CMD_QUIT:
                w->tail.store(tail + c->size);
                return;
            default: break;
            }
            tail += c->size;
            w->tail.store(tail);
            if (workDone.sleepers.load() > 0 && tail >= waitTarget.load())
                eventWake(workDone);
        }
    }
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
    if (threads <= 0)
        return;
    ring = (uint8_t*)alignedAlloc(64, RING_BYTES);
    if (!ring)
        return;
    head.store(0);
    writeAt = 0;
    wokenAt = 0;
    pathSent = false;
    lfbLocks = 0;
    workers.resize((size_t)threads);
    for (int i = 0; i < threads; i++) {
        Worker* w = new (alignedAlloc(alignof(Worker), sizeof(Worker))) Worker;
        w->index = i;
        w->tail.store(0);
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
    QuitCommand* quit = commandBegin<QuitCommand>(CMD_QUIT);
    commandEnd(&quit->header, true);
    for (Worker* w : workers) {
        w->thread.join();
        directSpan.pixelsWritten += w->span.pixelsWritten;
        w->~Worker();
        alignedFree(w);
    }
    workers.clear();
    reclaim();
    alignedFree(ring);
    ring = nullptr;
}

void queueDrain(void)
{
    if (workers.empty())
        return;
    producerWait(writeAt, [] { return slowestTail() == writeAt; });
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
        triangleRows(callerSpan(), t, 0, 1);
        return;
    }
    sendPathIfNew();
    TriangleCommand* c = commandBegin<TriangleCommand>(CMD_TRIANGLE);
    c->triangle = *t;
    commandEnd(&c->header, t->rowLast - t->rowFirst >= 32);
}

void submitPixels(const Setup* setup, const PixelAt* at, int count)
{
    if (!queued()) {
        pixelsDraw(callerSpan(), setup, at, count, 0, 1);
        return;
    }
    sendPathIfNew();
    PixelsCommand* c = commandBegin<PixelsCommand>(CMD_PIXELS);
    c->setup = *setup;
    c->count = count;
    memcpy(c->at, at, sizeof(PixelAt) * (size_t)count);
    commandEnd(&c->header);
}

void submitClear(const ClearJob* job)
{
    if (!queued()) {
        clearRows(job, 0, 1);
        return;
    }
    ClearCommand* c = commandBegin<ClearCommand>(CMD_CLEAR);
    c->job = *job;
    commandEnd(&c->header, true);
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

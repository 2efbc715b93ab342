/* The chunk walk of obx-view (see scan3ds.h). */
#include "scan3ds.h"

#include <stdio.h>
#include <string.h>

static unsigned rd16(const uint8_t* p)
{
    return (unsigned)p[0] | (unsigned)p[1] << 8;
}

static uint32_t rd32(const uint8_t* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

/* A NUL-terminated string of at most `limit` bytes at [at, end), copied into
 * out (always terminated); the bytes it takes, or 0 when it has no NUL in
 * reach. */
static size_t stringRead(const uint8_t* d, size_t at, size_t end, size_t limit, char* out)
{
    size_t n = 0;
    while (at + n < end && n < limit && d[at + n] != 0)
        n++;
    if (at + n >= end || n >= limit) {
        out[0] = '\0';
        return 0;
    }
    size_t keep = n < SCAN_NAME_BYTES - 1 ? n : SCAN_NAME_BYTES - 1;
    memcpy(out, d + at, keep);
    out[keep] = '\0';
    return n + 1;
}

static void mapAdd(Scan3ds* s, const char* mapName)
{
    char name[SCAN_NAME_BYTES];
    if (!scanTextureName(mapName, name, sizeof name))
        return;
    for (int i = 0; i < s->mapCount; i++)
        if (strcmp(s->maps[i], name) == 0)
            return;
    if (s->mapCount < SCAN_MAPS)
        strcpy(s->maps[s->mapCount++], name);
}

/* The chunks of [begin, end), children of a chunk of id `parent` (0: the
 * file). `name` is the enclosing named object's. */
static void scanLevel(Scan3ds* s, const uint8_t* d, size_t begin, size_t end, unsigned parent,
                      const char* name)
{
    size_t p = begin;
    while (p < end) {
        if (end - p < 6) {
            s->damaged = 1;
            return;
        }
        unsigned id = rd16(d + p);
        uint32_t length = rd32(d + p + 2);
        if (length < 6) {
            s->damaged = 1;
            return;
        }
        /* A chunk longer than its parent: what lies within is still told,
         * and nothing after it. */
        size_t stop = p + length;
        if (length > end - p) {
            s->damaged = 1;
            stop = end;
        }
        size_t body = p + 6;
        if (parent == 0) {
            /* The loader reads the first chunk only. */
            if (id == 0x4D4D) {
                s->isMain = 1;
                scanLevel(s, d, body, stop, id, name);
            }
            return;
        }
        if (parent == 0x4D4D && id == 0x3D3D) {
            scanLevel(s, d, body, stop, id, name);
        } else if (parent == 0x3D3D && id == 0x4000) {
            char objectName[SCAN_NAME_BYTES];
            size_t taken = stringRead(d, body, stop, 16, objectName);
            if (taken == 0)
                s->damaged = 1;
            else
                scanLevel(s, d, body + taken, stop, id, objectName);
        } else if (parent == 0x3D3D && id == 0xAFFF) {
            s->materials++;
            scanLevel(s, d, body, stop, id, name);
        } else if (parent == 0x4000 && id == 0x4100) {
            s->meshes++;
            if (s->meshNameCount < SCAN_NAMES)
                strcpy(s->meshNames[s->meshNameCount++], name);
            scanLevel(s, d, body, stop, id, name);
        } else if (parent == 0x4100 && (id == 0x4110 || id == 0x4120)) {
            if (stop - body < 2) {
                s->damaged = 1;
            } else if (id == 0x4110) {
                s->vertices += (long)rd16(d + body);
            } else {
                s->faces += (long)rd16(d + body);
            }
        } else if (parent == 0xAFFF && id == 0xA200) {
            scanLevel(s, d, body, stop, id, name);
        } else if (parent == 0xA200 && id == 0xA300) {
            char mapName[SCAN_NAME_BYTES];
            if (stringRead(d, body, stop, 80, mapName) == 0)
                s->damaged = 1;
            else
                mapAdd(s, mapName);
        }
        p = stop;
    }
}

void scan3ds(const uint8_t* data, size_t size, Scan3ds* scan)
{
    memset(scan, 0, sizeof *scan);
    scanLevel(scan, data, 0, size, 0, "");
}

int scanTextureName(const char* mapName, char* out, size_t size)
{
    size_t stem = strcspn(mapName, ".");
    if (stem + 5 > size)
        return 0;
    memcpy(out, mapName, stem);
    memcpy(out + stem, ".3df", 5);
    return 1;
}

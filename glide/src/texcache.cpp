// Decoded textures. The pixel path samples 0xAARRGGBB texels; this cache keeps
// the decoded form of recently used texture sources. A copy is dropped as soon
// as any byte it was decoded from (or the palette / NCC table it used)
// changes, so drawing always shows what texture memory holds.
#include "pixel.h"
#include "platform.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// What a decoded copy was made from. With split addresses (multibase) the
// levels lie at the four base addresses, `start` being that of the largest.
struct Key {
    int tmu;
    uint32_t start;
    FxU32 evenOdd;
    GrLOD_t smallLod, largeLod;
    GrAspectRatio_t aspect;
    GrTextureFormat_t format;
    int table;   // NCC table used (YIQ formats), else 0
    bool multibase;
    uint32_t base[4];   // by GR_TEXBASE_* range, when multibase
    bool operator==(const Key& o) const
    {
        return tmu == o.tmu && start == o.start && evenOdd == o.evenOdd && smallLod == o.smallLod &&
               largeLod == o.largeLod && aspect == o.aspect && format == o.format &&
               table == o.table && multibase == o.multibase &&
               (!multibase || memcmp(base, o.base, sizeof base) == 0);
    }
};

// The stretches of texture memory a copy reads: one, or with split
// addresses one per range of levels.
struct Ranges {
    int count;
    uint32_t start[4], end[4];
};

struct CacheEntry {
    bool used;
    Key key;
    Ranges read;             // bytes of texture memory read
    uint32_t tableVersion;   // version of the table it was decoded with
    int older, newer;        // neighbours in the use order, -1 at its ends
    TextureData* data;       // one block: the description, then the texels
    size_t texelCount;
};

// Texels kept in all (as many as two units' full memory of 16-bit texels
// decoded) and copies kept: a landscape's thousands of small light maps fit,
// and a program's memory settles soon after it has shown its scenes.
const size_t CACHE_BUDGET = 4u * 1024 * 1024;
const size_t CACHE_ENTRIES = 8192;

// Entries by index, kept in order of use for eviction. Never destroyed: a
// program may end without closing Glide, while its rasterizer threads still
// sample the copies, and what the copies hold must stay reachable to the end
// rather than be dropped with the containers.
std::vector<CacheEntry>& cache = *new std::vector<CacheEntry>;
std::vector<int>& freeEntries = *new std::vector<int>;
size_t entriesUsed;

// Per unit, the entry (plus one; 0 for none) that reads each 16-byte
// granule of texture memory. A decode drops every copy whose bytes it
// overlaps, and every stretch a copy reads starts on the 16-byte grid, so
// no two copies read one granule: a texture is found by the granule it
// starts in with one read, and a download finds the copies it overwrites
// by walking its own granules. Pages of 256 granules count those of theirs
// that are read, so a download skips the empty ones.
enum { PAGE_GRANULES = 256 };
int32_t* owner[MAX_TMU];
uint16_t* pageUse[MAX_TMU];
uint32_t granuleCount;   // granules per unit

int newest = -1, oldest = -1;
size_t cacheTexels;
uint32_t tableVersion = 1;   // bumped by every table download

bool formatUsesTable(GrTextureFormat_t f)
{
    return f == GR_TEXFMT_YIQ_422 || f == GR_TEXFMT_AYIQ_8422 || f == GR_TEXFMT_P_8 ||
           f == GR_TEXFMT_AP_88 || f == GR_TEXFMT_P_8_6666;
}

void useListRemove(int i)
{
    CacheEntry& e = cache[(size_t)i];
    if (e.older >= 0)
        cache[(size_t)e.older].newer = e.newer;
    else
        oldest = e.newer;
    if (e.newer >= 0)
        cache[(size_t)e.newer].older = e.older;
    else
        newest = e.older;
    e.older = e.newer = -1;
}

void useListPushNewest(int i)
{
    CacheEntry& e = cache[(size_t)i];
    e.older = newest;
    e.newer = -1;
    if (newest >= 0)
        cache[(size_t)newest].newer = i;
    newest = i;
    if (oldest < 0)
        oldest = i;
}

// Marks (or clears) the granules entry `i` reads as its own.
void granulesClaim(int i, bool claim)
{
    const CacheEntry& e = cache[(size_t)i];
    int32_t* own = owner[e.key.tmu];
    uint16_t* use = pageUse[e.key.tmu];
    for (int r = 0; r < e.read.count; r++) {
        uint32_t last = (e.read.end[r] - 1) / 16;
        for (uint32_t g = e.read.start[r] / 16; g <= last && g < granuleCount; g++) {
            if (claim && own[g] == 0) {
                own[g] = i + 1;
                use[g / PAGE_GRANULES]++;
            } else if (!claim && own[g] == i + 1) {
                own[g] = 0;
                use[g / PAGE_GRANULES]--;
            }
        }
    }
}

void entryFree(int i)
{
    CacheEntry& e = cache[(size_t)i];
    if (!e.used)
        return;
    texCacheGeneration++;
    // The pixel path may point at this copy: make the next draw look again.
    markStale();
    queueRetire(e.data);   // back to the blocks kept once the queue is past it
    cacheTexels -= e.texelCount;
    useListRemove(i);
    granulesClaim(i, false);
    entriesUsed--;
    e = CacheEntry{};
    freeEntries.push_back(i);
}

inline uint32_t expand5(uint32_t v)
{
    return (v << 3) | (v >> 2);
}
inline uint32_t expand3(uint32_t v)
{
    return (v << 5) | (v << 2) | (v >> 1);
}

inline uint32_t rgb332(uint32_t t)
{
    return (expand3((t >> 5) & 7) << 16) | (expand3((t >> 2) & 7) << 8) | (((t & 3) * 85));
}

// 9-bit two's complement values of an NCC table, whether or not they arrive
// sign-extended.
inline int nccValue(FxI16 v)
{
    int x = v & 0x1FF;
    return x >= 256 ? x - 512 : x;
}

inline uint32_t yiq(const GuNccTable* t, uint32_t texel)
{
    int y = t->yRGB[(texel >> 4) & 15];
    int i = (texel >> 2) & 3, q = texel & 3;
    int r = clamp255(y + nccValue(t->iRGB[i][0]) + nccValue(t->qRGB[q][0]));
    int g = clamp255(y + nccValue(t->iRGB[i][1]) + nccValue(t->qRGB[q][1]));
    int b = clamp255(y + nccValue(t->iRGB[i][2]) + nccValue(t->qRGB[q][2]));
    return ((uint32_t)r << 16) | ((uint32_t)g << 8) | (uint32_t)b;
}

// One texel of any format to 0xAARRGGBB.
inline uint32_t decodeTexel(const uint8_t* p, GrTextureFormat_t format, int nccIndex)
{
    uint32_t t;
    switch (format) {
    case GR_TEXFMT_RGB_332: return 0xFF000000u | rgb332(p[0]);
    case GR_TEXFMT_YIQ_422: return 0xFF000000u | yiq(&dev.ncc[nccIndex], p[0]);
    case GR_TEXFMT_ALPHA_8: t = p[0]; return (t << 24) | (t << 16) | (t << 8) | t;
    case GR_TEXFMT_INTENSITY_8: t = p[0]; return 0xFF000000u | (t << 16) | (t << 8) | t;
    case GR_TEXFMT_ALPHA_INTENSITY_44: {
        uint32_t a = (p[0] >> 4) * 17, i = (p[0] & 15) * 17;
        return (a << 24) | (i << 16) | (i << 8) | i;
    }
    case GR_TEXFMT_P_8:
    case GR_TEXFMT_P_8_6666: return dev.palette[p[0]];
    default: break;
    }
    if (format == GR_TEXFMT_ARGB_8888) {   // the one format of four bytes
        memcpy(&t, p, 4);
        return t;
    }
    uint16_t w;
    memcpy(&w, p, 2);
    t = w;
    switch (format) {
    case GR_TEXFMT_ARGB_8332: return ((t >> 8) << 24) | rgb332(t & 0xFF);
    case GR_TEXFMT_AYIQ_8422: return ((t >> 8) << 24) | yiq(&dev.ncc[nccIndex], t & 0xFF);
    case GR_TEXFMT_RGB_565: return expand565((uint16_t)t);
    case GR_TEXFMT_ARGB_1555:
        return ((t & 0x8000) ? 0xFF000000u : 0) | (expand5((t >> 10) & 31) << 16) |
               (expand5((t >> 5) & 31) << 8) | expand5(t & 31);
    case GR_TEXFMT_ARGB_4444:
        return (((t >> 12) * 17) << 24) | ((((t >> 8) & 15) * 17) << 16) |
               ((((t >> 4) & 15) * 17) << 8) | ((t & 15) * 17);
    case GR_TEXFMT_ALPHA_INTENSITY_88: {
        uint32_t i = t & 0xFF;
        return ((t >> 8) << 24) | (i << 16) | (i << 8) | i;
    }
    case GR_TEXFMT_AP_88: return ((t >> 8) << 24) | (dev.palette[t & 0xFF] & 0x00FFFFFFu);
    default: return 0xFFFFFFFFu;
    }
}

// `count` texels of format F, `bytes` each, to 0xAARRGGBB: the format is
// looked at once, not per texel (light maps are decoded by the thousand).
template <GrTextureFormat_t F, int bytes>
void decodeRun(const uint8_t* src, int count, int nccIndex, uint32_t* out)
{
    for (int k = 0; k < count; k++)
        out[k] = decodeTexel(src + (size_t)k * bytes, F, nccIndex);
}

void decodeTexels(const uint8_t* src, int count, GrTextureFormat_t format, int nccIndex,
                  uint32_t* out)
{
    switch (format) {
    case GR_TEXFMT_RGB_332: decodeRun<GR_TEXFMT_RGB_332, 1>(src, count, nccIndex, out); break;
    case GR_TEXFMT_YIQ_422: decodeRun<GR_TEXFMT_YIQ_422, 1>(src, count, nccIndex, out); break;
    case GR_TEXFMT_ALPHA_8: decodeRun<GR_TEXFMT_ALPHA_8, 1>(src, count, nccIndex, out); break;
    case GR_TEXFMT_INTENSITY_8:
        decodeRun<GR_TEXFMT_INTENSITY_8, 1>(src, count, nccIndex, out);
        break;
    case GR_TEXFMT_ALPHA_INTENSITY_44:
        decodeRun<GR_TEXFMT_ALPHA_INTENSITY_44, 1>(src, count, nccIndex, out);
        break;
    case GR_TEXFMT_P_8:
    case GR_TEXFMT_P_8_6666: decodeRun<GR_TEXFMT_P_8, 1>(src, count, nccIndex, out); break;
    case GR_TEXFMT_ARGB_8332: decodeRun<GR_TEXFMT_ARGB_8332, 2>(src, count, nccIndex, out); break;
    case GR_TEXFMT_AYIQ_8422: decodeRun<GR_TEXFMT_AYIQ_8422, 2>(src, count, nccIndex, out); break;
    case GR_TEXFMT_RGB_565: decodeRun<GR_TEXFMT_RGB_565, 2>(src, count, nccIndex, out); break;
    case GR_TEXFMT_ARGB_1555: decodeRun<GR_TEXFMT_ARGB_1555, 2>(src, count, nccIndex, out); break;
    case GR_TEXFMT_ARGB_4444: decodeRun<GR_TEXFMT_ARGB_4444, 2>(src, count, nccIndex, out); break;
    case GR_TEXFMT_ALPHA_INTENSITY_88:
        decodeRun<GR_TEXFMT_ALPHA_INTENSITY_88, 2>(src, count, nccIndex, out);
        break;
    case GR_TEXFMT_AP_88: decodeRun<GR_TEXFMT_AP_88, 2>(src, count, nccIndex, out); break;
    case GR_TEXFMT_ARGB_8888: memcpy(out, src, (size_t)count * 4); break;
    default: {
        int bytes = texFormatBytes(format);
        for (int k = 0; k < count; k++)
            out[k] = decodeTexel(src + (size_t)k * bytes, format, nccIndex);
        break;
    }
    }
}

bool pinned(const CacheEntry& e)
{
    for (int t = 0; t < MAX_TMU; t++)
        if (pixelPath.texture[t] == &e.data->decoded)
            return true;
    return false;
}

// A free entry, evicting the least recently used ones (but not those the
// current pixel path samples) while over budget or count.
int entryClaim(size_t texels)
{
    int candidate = oldest;
    while ((cacheTexels + texels > CACHE_BUDGET || entriesUsed >= CACHE_ENTRIES) &&
           candidate >= 0) {
        int next = cache[(size_t)candidate].newer;
        if (!pinned(cache[(size_t)candidate]))
            entryFree(candidate);
        candidate = next;
    }
    if (freeEntries.empty()) {
        cache.push_back(CacheEntry{});
        return (int)cache.size() - 1;
    }
    int i = freeEntries.back();
    freeEntries.pop_back();
    return i;
}

}   // namespace

// Blocks of dropped copies, kept by size for the copies to come: a scene
// whose textures keep taking over each other's memory decodes thousands a
// frame, and aligned blocks are slow to get from the allocator. A block's
// size is one of 64 * 2^k and 96 * 2^k bytes, noted in the 64 bytes before
// what it hands out; at most POOL_BYTES are kept. Never destroyed, like the
// cache.
namespace {
const size_t POOL_BYTES = 8u << 20;
enum { BLOCK_CLASSES = 48 };
std::vector<void*>* blockPool = new std::vector<void*>[BLOCK_CLASSES];
size_t pooledBytes;

size_t blockClassBytes(int c)
{
    return (c & 1 ? 96 : 64) << (c / 2);
}
}   // namespace

void* texBlockGet(size_t bytes)
{
    // The smallest class that holds `bytes`: with 64 * 2^k < bytes <=
    // 128 * 2^k, 96 * 2^k when that is enough, else 128 * 2^k.
    int c = 0;
    if (bytes > 64) {
        int k = 63 - __builtin_clzll((unsigned long long)((bytes - 1) / 64));
        c = bytes <= (size_t)96 << k ? 2 * k + 1 : 2 * k + 2;
    }
    if (c >= BLOCK_CLASSES)
        return nullptr;
    uint8_t* base;
    if (!blockPool[c].empty()) {
        base = (uint8_t*)blockPool[c].back();
        blockPool[c].pop_back();
        pooledBytes -= blockClassBytes(c);
    } else {
        base = (uint8_t*)alignedAlloc(64, 64 + blockClassBytes(c));
        if (!base)
            return nullptr;
        memcpy(base, &c, sizeof c);
    }
    return base + 64;
}

void texBlockPut(void* block)
{
    uint8_t* base = (uint8_t*)block - 64;
    int c;
    memcpy(&c, base, sizeof c);
    if (pooledBytes + blockClassBytes(c) > POOL_BYTES) {
        alignedFree(base);
        return;
    }
    blockPool[c].push_back(base);
    pooledBytes += blockClassBytes(c);
}

uint32_t texCacheGeneration;

void texCacheInvalidateRange(int tmu, uint32_t start, uint32_t end)
{
    if (start >= end || start / 16 >= granuleCount)
        return;
    const int32_t* own = owner[tmu];
    const uint16_t* use = pageUse[tmu];
    uint32_t last = (end - 1) / 16 < granuleCount ? (end - 1) / 16 : granuleCount - 1;
    for (uint32_t g = start / 16; g <= last; g++) {
        if (use[g / PAGE_GRANULES] == 0) {
            g |= PAGE_GRANULES - 1;   // on to the next page
            continue;
        }
        if (own[g] == 0)
            continue;
        // The granule may hold bytes on either side of the copy's.
        int i = own[g] - 1;
        const Ranges& read = cache[(size_t)i].read;
        for (int r = 0; r < read.count; r++)
            if (start < read.end[r] && read.start[r] < end) {
                entryFree(i);
                break;
            }
    }
}

void texCacheInvalidateTables(void)
{
    tableVersion++;
    texCacheGeneration++;
    markStale();
}

void texCacheClear(void)
{
    for (size_t i = 0; i < cache.size(); i++)
        entryFree((int)i);
    for (int t = 0; t < MAX_TMU; t++)
        pixelPath.texture[t] = nullptr;
}

// The granule index as large as texture memory (which changes only while
// Glide is shut down, the cache empty).
static void granulesFit(void)
{
    uint32_t count = (dev.texMemSize + 15) / 16;
    if (count == granuleCount && owner[0])
        return;
    for (size_t i = 0; i < cache.size(); i++)
        entryFree((int)i);
    for (int t = 0; t < MAX_TMU; t++) {
        free(owner[t]);
        free(pageUse[t]);
        owner[t] = (int32_t*)calloc(count + 1, sizeof(int32_t));
        pageUse[t] = (uint16_t*)calloc(count / PAGE_GRANULES + 1, sizeof(uint16_t));
        if (!owner[t] || !pageUse[t])
            count = 0;
    }
    granuleCount = count;
}

// The decoded levels as the lanes sampler reads them (pixel.h).
static void levelTableBuild(LevelTable* lt, const DecodedTexture* tex)
{
    const uint32_t* base = tex->levels[0].texels;
    for (int k = 1; k < tex->levelCount; k++)
        if (tex->levels[k].texels < base)
            base = tex->levels[k].texels;
    lt->base = base;
    lt->scaleS = tex->levels[0].scaleS;
    lt->scaleT = tex->levels[0].scaleT;
    for (int k = 0; k < 16; k++) {
        const TexLevel& l = tex->levels[k < tex->levelCount ? k : tex->levelCount - 1];
        lt->offset[k] = (int32_t)(l.texels - base);
        lt->width[k] = l.width;
        lt->widthLog2[k] = l.widthLog2;
        lt->height[k] = l.height;
        int ss = 0, sh = 0;
        while (l.scaleS * (float)(1 << ss) < lt->scaleS)
            ss++;
        while (l.scaleT * (float)(1 << sh) < lt->scaleT)
            sh++;
        lt->shiftS[k] = ss;
        lt->shiftT[k] = sh;
    }
}

// The key of what unit `tmu` has as source; false when it has none.
static bool sourceKey(int tmu, Key* key)
{
    const TmuState& u = gs.tmu[tmu];
    if (!u.sourceValid || !texInfoValid(u.smallLod, u.largeLod, u.aspect, u.format))
        return false;
    int table = (u.format == GR_TEXFMT_YIQ_422 || u.format == GR_TEXFMT_AYIQ_8422)
                    ? (gs.nccTable == 1 ? 1 : 0)
                    : 0;
    *key = {tmu,      u.sourceAddress, u.sourceEvenOdd, u.smallLod, u.largeLod,
            u.aspect, u.format,        table,           false,      {}};
    if (u.multibase) {
        key->multibase = true;
        memcpy(key->base, u.multibaseAddress, sizeof key->base);
        key->start = key->base[texBaseRange(u.largeLod)];
    }
    return true;
}

// Where level `lod` of the texture starts in its unit's memory.
static uint32_t levelStart(const Key& key, GrLOD_t lod)
{
    if (!key.multibase)
        return key.start + texLevelOffset(lod, key.largeLod, key.aspect, key.format, key.evenOdd);
    int range = texBaseRange(lod);
    return key.base[range] + texLevelOffset(lod, texBaseRangeTop(range, key.largeLod), key.aspect,
                                            key.format, key.evenOdd);
}

// The stretches of memory the texture's stored levels take; false when one
// leaves texture memory.
static bool keyRanges(const Key& key, Ranges* read)
{
    read->count = 0;
    for (GrLOD_t l = key.largeLod; l >= key.smallLod; l--) {
        if (!texLevelSelected(l, key.evenOdd))
            continue;
        int w, h;
        texLevelSize(l, key.aspect, &w, &h);
        uint64_t start = levelStart(key, l),
                 end = start + (uint64_t)w * h * texFormatBytes(key.format);
        bool first =
            key.multibase ? l == texBaseRangeTop(texBaseRange(l), key.largeLod) : l == key.largeLod;
        if (first && start % 16 != 0)
            return false;   // where a texture (or a range of its levels) starts: on the 16-byte grid
        if (end > dev.texMemSize)
            return false;
        // Levels of one range follow each other: they extend its stretch.
        int r = read->count - 1;
        if (r >= 0 && read->end[r] == start) {
            read->end[r] = (uint32_t)end;
        } else {
            read->start[++r] = (uint32_t)start;
            read->end[r] = (uint32_t)end;
            read->count = r + 1;
        }
    }
    return true;
}

// The entry whose bytes start at `start` in unit `tmu`'s memory, or -1.
static inline int entryStartingAt(int tmu, uint32_t start)
{
    if (start % 16 != 0 || start / 16 >= granuleCount)
        return -1;
    int i = owner[tmu][start / 16] - 1;
    return i >= 0 && cache[(size_t)i].key.start == start ? i : -1;
}

// Entry `i` as the copy found: decoded with the current tables (else it
// goes), made the newest in the use order. False when it went.
static bool entryUse(int i)
{
    CacheEntry& e = cache[(size_t)i];
    if (e.tableVersion != tableVersion && formatUsesTable(e.key.format)) {
        entryFree(i);   // decoded with an older table
        return false;
    }
    if (i != newest) {
        useListRemove(i);
        useListPushNewest(i);
    }
    return true;
}

// The entry `index` as the decoded copy of `key`, reading the stretches
// `read` of texture memory: found by the granules it reads, the newest in
// the use order.
static void cacheIndex(int index, const Key& key, const Ranges& read, TextureData* data,
                       size_t texels)
{
    CacheEntry* e = &cache[(size_t)index];
    e->used = true;
    e->key = key;
    e->read = read;
    e->tableVersion = tableVersion;
    e->data = data;
    e->texelCount = texels;
    cacheTexels += texels;
    useListPushNewest(index);
    entriesUsed++;
    granulesClaim(index, true);
}

// Decodes the texture of `key` from texture memory into `data`, its texels
// into `out`. Levels outside the even/odd half stored here borrow the
// nearest stored level.
static void textureDecode(const Key& key, TextureData* data, uint32_t* out)
{
    DecodedTexture& d = data->decoded;
    d.largeLod = key.largeLod;
    d.levelCount = key.largeLod - key.smallLod + 1;
    float sRange = key.aspect >= 0 ? 256.0f : (float)(256 >> -key.aspect);
    float tRange = key.aspect <= 0 ? 256.0f : (float)(256 >> key.aspect);
    const uint8_t* mem = dev.texMem[key.tmu];
    for (int i = 0; i < d.levelCount; i++) {
        GrLOD_t l = key.largeLod - i;
        TexLevel& level = d.levels[i];
        texLevelSize(l, key.aspect, &level.width, &level.height);
        level.widthLog2 = 0;
        while ((1 << level.widthLog2) < level.width)
            level.widthLog2++;
        level.scaleS = (float)level.width * 256.0f / sRange;
        level.scaleT = (float)level.height * 256.0f / tRange;
        if (!texLevelSelected(l, key.evenOdd)) {
            level.texels = nullptr;
            continue;
        }
        const uint8_t* src = mem + levelStart(key, l);
        int count = level.width * level.height;
        decodeTexels(src, count, key.format, key.table, out);
        level.texels = out;
        out += count;
    }
    // Fill the gaps of an even/odd half from the nearest stored level (the
    // larger one when both are equally near).
    for (int i = 0; i < d.levelCount; i++) {
        if (d.levels[i].texels)
            continue;
        int from = i > 0 && d.levels[i - 1].texels ? i - 1 : i + 1;
        if (from >= d.levelCount)
            from = i - 1;
        d.levels[i] = d.levels[from];
    }
    levelTableBuild(&data->table, &d);
}

const TextureData* texCacheLookup(int tmu)
{
    // A plain source (a program sets one per polygon) is compared with the
    // copy starting at its address field by field: a copy exists only for a
    // valid description, so one that matches needs no other check.
    const TmuState& u = gs.tmu[tmu];
    if (u.sourceValid && !u.multibase) {
        int i = entryStartingAt(tmu, u.sourceAddress);
        if (i >= 0) {
            const Key& k = cache[(size_t)i].key;
            int table = (u.format == GR_TEXFMT_YIQ_422 || u.format == GR_TEXFMT_AYIQ_8422) &&
                        gs.nccTable == 1;
            if (!k.multibase && k.evenOdd == u.sourceEvenOdd && k.largeLod == u.largeLod &&
                k.smallLod == u.smallLod && k.aspect == u.aspect && k.format == u.format &&
                k.table == table && entryUse(i))
                return cache[(size_t)i].data;
        }
    }

    granulesFit();
    Key key;
    if (!sourceKey(tmu, &key))
        return nullptr;
    int found = entryStartingAt(tmu, key.start);
    if (found >= 0 && cache[(size_t)found].key == key && entryUse(found))
        return cache[(size_t)found].data;

    // The bytes the texture reads must lie in texture memory.
    Ranges read;
    if (!keyRanges(key, &read))
        return nullptr;
    size_t texels = 0;
    for (GrLOD_t l = key.largeLod; l >= key.smallLod; l--) {
        int w, h;
        texLevelSize(l, key.aspect, &w, &h);
        if (texLevelSelected(l, key.evenOdd))
            texels += (size_t)w * (size_t)h;
    }
    // A single level the even/odd mask leaves out: nothing is stored to
    // sample, and the unit reads as having no texture.
    if (texels == 0)
        return nullptr;
    // One decoded copy per byte of texture memory: another reading of the
    // same bytes (a texture that took over an older one's place) goes.
    if (granuleCount == 0)
        return nullptr;   // no memory for the granule index
    for (int r = 0; r < read.count; r++)
        texCacheInvalidateRange(tmu, read.start[r], read.end[r]);
    int index = entryClaim(texels);
    size_t head = (sizeof(TextureData) + 63) & ~(size_t)63;
    TextureData* data = (TextureData*)texBlockGet(head + texels * 4);
    if (!data) {
        freeEntries.push_back(index);
        return nullptr;
    }
    cacheIndex(index, key, read, data, texels);
    textureDecode(key, data, (uint32_t*)((char*)data + head));
    return data;
}

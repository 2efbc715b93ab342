// Decoded textures. The pixel path samples 0xAARRGGBB texels; this cache keeps
// the decoded form of recently used texture sources. A copy is dropped as soon
// as any byte it was decoded from (or the palette / NCC table it used)
// changes, so drawing always shows what texture memory holds.
#include "pixel.h"

#include <cstdlib>
#include <cstring>

namespace {

struct CacheEntry {
    bool used;
    int tmu;
    uint32_t start, end; // bytes of texture memory read
    FxU32 evenOdd;
    GrLOD_t smallLod, largeLod;
    GrAspectRatio_t aspect;
    GrTextureFormat_t format;
    int table;             // NCC table used (YIQ formats), else 0
    uint32_t tableVersion; // version of the table it was decoded with
    uint64_t lastUse;
    uint32_t* texels;
    size_t texelCount;
    DecodedTexture decoded;
};

enum { CACHE_ENTRIES = 128 };
const size_t CACHE_BUDGET = 24u * 1024 * 1024 / 4; // texels kept in all

CacheEntry cache[CACHE_ENTRIES];
size_t cacheTexels;
uint64_t useClock;
uint32_t tableVersion = 1; // bumped by every table download

bool formatUsesTable(GrTextureFormat_t f)
{
    return f == GR_TEXFMT_YIQ_422 || f == GR_TEXFMT_AYIQ_8422 || f == GR_TEXFMT_P_8 || f == GR_TEXFMT_AP_88 ||
           f == GR_TEXFMT_P_8_6666;
}

void entryFree(CacheEntry* e)
{
    if (!e->used)
        return;
    texCacheGeneration++;
    // The pixel path may point at this copy: make the next draw look again.
    markStale();
    queueRetire(e->texels);
    cacheTexels -= e->texelCount;
    memset(e, 0, sizeof *e);
}

inline uint32_t expand5(uint32_t v) { return (v << 3) | (v >> 2); }
inline uint32_t expand3(uint32_t v) { return (v << 5) | (v << 2) | (v >> 1); }

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
uint32_t decodeTexel(const uint8_t* p, GrTextureFormat_t format, int nccIndex)
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
    case GR_TEXFMT_P_8: return 0xFF000000u | dev.palette[p[0]];
    case GR_TEXFMT_P_8_6666: return dev.palette6666[p[0]];
    default: break;
    }
    if (texFormatBytes(format) == 4) {
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
        return ((t & 0x8000) ? 0xFF000000u : 0) | (expand5((t >> 10) & 31) << 16) | (expand5((t >> 5) & 31) << 8) |
               expand5(t & 31);
    case GR_TEXFMT_ARGB_4444:
        return (((t >> 12) * 17) << 24) | ((((t >> 8) & 15) * 17) << 16) | ((((t >> 4) & 15) * 17) << 8) |
               ((t & 15) * 17);
    case GR_TEXFMT_ALPHA_INTENSITY_88: {
        uint32_t i = t & 0xFF;
        return ((t >> 8) << 24) | (i << 16) | (i << 8) | i;
    }
    case GR_TEXFMT_AP_88: return ((t >> 8) << 24) | dev.palette[t & 0xFF];
    default: return 0xFFFFFFFFu;
    }
}

bool entryMatches(const CacheEntry& e, int tmu, const TmuState& u, int table)
{
    return e.used && e.tmu == tmu && e.start == u.sourceAddress && e.evenOdd == u.sourceEvenOdd &&
           e.smallLod == u.smallLod && e.largeLod == u.largeLod && e.aspect == u.aspect && e.format == u.format &&
           e.table == table && (!formatUsesTable(u.format) || e.tableVersion == tableVersion);
}

bool pinned(const CacheEntry* e)
{
    for (int t = 0; t < MAX_TMU; t++)
        if (pixelPath.hasTexture[t] && pixelPath.texture[t].levels[0].texels >= e->texels &&
            pixelPath.texture[t].levels[0].texels < e->texels + e->texelCount)
            return true;
    return false;
}

// A free entry, evicting the least recently used ones while over budget.
CacheEntry* entryClaim(size_t texels)
{
    for (;;) {
        CacheEntry* free = nullptr;
        CacheEntry* oldest = nullptr;
        for (CacheEntry& e : cache) {
            if (!e.used) {
                if (!free)
                    free = &e;
            } else if (!pinned(&e) && (!oldest || e.lastUse < oldest->lastUse)) {
                oldest = &e;
            }
        }
        if (free && (cacheTexels + texels <= CACHE_BUDGET || !oldest))
            return free;
        if (!oldest)
            return nullptr;
        entryFree(oldest);
    }
}

} // namespace

uint32_t texCacheGeneration;

void texCacheInvalidateRange(int tmu, uint32_t start, uint32_t end)
{
    for (CacheEntry& e : cache)
        if (e.used && e.tmu == tmu && e.start < end && start < e.end)
            entryFree(&e);
}

void texCacheInvalidateTables(void)
{
    tableVersion++;
    texCacheGeneration++;
    markStale();
}

void texCacheClear(void)
{
    for (CacheEntry& e : cache)
        entryFree(&e);
    for (int t = 0; t < MAX_TMU; t++)
        pixelPath.hasTexture[t] = false;
}

const DecodedTexture* texCacheLookup(int tmu)
{
    const TmuState& u = gs.tmu[tmu];
    if (!u.sourceValid || !texInfoValid(u.smallLod, u.largeLod, u.aspect, u.format))
        return nullptr;
    int table = (u.format == GR_TEXFMT_YIQ_422 || u.format == GR_TEXFMT_AYIQ_8422) ? (gs.nccTable == 1 ? 1 : 0) : 0;
    for (CacheEntry& e : cache) {
        if (entryMatches(e, tmu, u, table)) {
            e.lastUse = ++useClock;
            return &e.decoded;
        }
    }

    // Decode it. Levels outside the even/odd half stored here borrow the
    // nearest stored level.
    uint32_t stored = texLevelOffset(u.smallLod - 1, u.largeLod, u.aspect, u.format, u.sourceEvenOdd);
    if (u.sourceAddress % 16 != 0 || u.sourceAddress > dev.texMemSize || stored > dev.texMemSize - u.sourceAddress)
        return nullptr;
    size_t texels = 0;
    for (GrLOD_t l = u.largeLod; l >= u.smallLod; l--) {
        int w, h;
        texLevelSize(l, u.aspect, &w, &h);
        if (texLevelSelected(l, u.sourceEvenOdd))
            texels += (size_t)w * (size_t)h;
    }
    // A single level the even/odd mask leaves out: nothing is stored to
    // sample, and the unit reads as having no texture.
    if (texels == 0)
        return nullptr;
    CacheEntry* e = entryClaim(texels);
    if (!e)
        return nullptr;
    uint32_t* buffer = (uint32_t*)malloc(texels * 4);
    if (!buffer)
        return nullptr;
    e->used = true;
    e->tmu = tmu;
    e->start = u.sourceAddress;
    e->end = u.sourceAddress + stored;
    e->evenOdd = u.sourceEvenOdd;
    e->smallLod = u.smallLod;
    e->largeLod = u.largeLod;
    e->aspect = u.aspect;
    e->format = u.format;
    e->table = table;
    e->tableVersion = tableVersion;
    e->lastUse = ++useClock;
    e->texels = buffer;
    e->texelCount = texels;
    cacheTexels += texels;

    DecodedTexture& d = e->decoded;
    d.largeLod = u.largeLod;
    d.levelCount = u.largeLod - u.smallLod + 1;
    int bpt = texFormatBytes(u.format);
    float sRange = u.aspect >= 0 ? 256.0f : (float)(256 >> -u.aspect);
    float tRange = u.aspect <= 0 ? 256.0f : (float)(256 >> u.aspect);
    uint32_t* out = buffer;
    const uint8_t* mem = dev.texMem[tmu] + u.sourceAddress;
    for (int i = 0; i < d.levelCount; i++) {
        GrLOD_t l = u.largeLod - i;
        TexLevel& level = d.levels[i];
        texLevelSize(l, u.aspect, &level.width, &level.height);
        level.widthLog2 = 0;
        while ((1 << level.widthLog2) < level.width)
            level.widthLog2++;
        level.scaleS = (float)level.width * 256.0f / sRange;
        level.scaleT = (float)level.height * 256.0f / tRange;
        if (!texLevelSelected(l, u.sourceEvenOdd)) {
            level.texels = nullptr;
            continue;
        }
        const uint8_t* src = mem + texLevelOffset(l, u.largeLod, u.aspect, u.format, u.sourceEvenOdd);
        int count = level.width * level.height;
        for (int k = 0; k < count; k++)
            out[k] = decodeTexel(src + (size_t)k * bpt, u.format, table);
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
    return &d;
}

// Texture memory: a plain byte array per texture unit. Downloads copy texels
// into it; grTexSource only names an address, so a texture drawn from an
// address shows whatever was downloaded there last.
//
// Inside a mipmap the levels the even/odd mask selects lie back to back from
// the largest down, each exactly as large as its texels (no padding), which
// never needs more than grTexTextureMemRequired reports.
#include "device.h"

#include <cstring>

int texFormatBytes(GrTextureFormat_t format)
{
    switch (format) {
    case GR_TEXFMT_RGB_332:
    case GR_TEXFMT_YIQ_422:
    case GR_TEXFMT_ALPHA_8:
    case GR_TEXFMT_INTENSITY_8:
    case GR_TEXFMT_ALPHA_INTENSITY_44:
    case GR_TEXFMT_P_8:
    case GR_TEXFMT_P_8_6666: return 1;
    case GR_TEXFMT_ARGB_8332:
    case GR_TEXFMT_AYIQ_8422:
    case GR_TEXFMT_RGB_565:
    case GR_TEXFMT_ARGB_1555:
    case GR_TEXFMT_ARGB_4444:
    case GR_TEXFMT_ALPHA_INTENSITY_88:
    case GR_TEXFMT_AP_88: return 2;
    case GR_TEXFMT_ARGB_8888: return 4;
    default: return 0;
    }
}

bool texLevelSize(GrLOD_t lod, GrAspectRatio_t aspect, int* width, int* height)
{
    if (lod < GR_LOD_LOG2_1 || lod > GR_LOD_LOG2_256 || aspect < GR_ASPECT_LOG2_1x8 ||
        aspect > GR_ASPECT_LOG2_8x1)
        return false;
    int longer = 1 << lod;
    if (aspect >= 0) {
        *width = longer;
        *height = (longer >> aspect) > 0 ? longer >> aspect : 1;
    } else {
        *height = longer;
        *width = (longer >> -aspect) > 0 ? longer >> -aspect : 1;
    }
    return true;
}

bool texInfoValid(GrLOD_t smallLod, GrLOD_t largeLod, GrAspectRatio_t aspect,
                  GrTextureFormat_t format)
{
    return GR_LOD_LOG2_1 <= smallLod && smallLod <= largeLod && largeLod <= GR_LOD_LOG2_256 &&
           aspect >= GR_ASPECT_LOG2_1x8 && aspect <= GR_ASPECT_LOG2_8x1 &&
           texFormatBytes(format) > 0;
}

bool texLevelSelected(GrLOD_t lod, FxU32 evenOdd)
{
    switch (evenOdd & GR_MIPMAPLEVELMASK_BOTH) {
    case GR_MIPMAPLEVELMASK_EVEN: return (lod & 1) == 0;
    case GR_MIPMAPLEVELMASK_ODD: return (lod & 1) == 1;
    case GR_MIPMAPLEVELMASK_BOTH: return true;
    default: return false;
    }
}

static uint32_t levelBytes(GrLOD_t lod, GrAspectRatio_t aspect, GrTextureFormat_t format)
{
    int w = 0, h = 0;
    texLevelSize(lod, aspect, &w, &h);
    return (uint32_t)(w * h * texFormatBytes(format));
}

// Every grTexSource and every new decoded copy asks for an offset (a
// landscape thousands of times a frame): the sizes are worked out here
// rather than level by level through texLevelSize. Levels outside 1..256 or
// an unknown aspect count nothing.
uint32_t texLevelOffset(GrLOD_t lod, GrLOD_t largeLod, GrAspectRatio_t aspect,
                        GrTextureFormat_t format, FxU32 evenOdd)
{
    if (aspect < GR_ASPECT_LOG2_1x8 || aspect > GR_ASPECT_LOG2_8x1)
        return 0;
    uint32_t bpt = (uint32_t)texFormatBytes(format);
    int shift = aspect < 0 ? -aspect : aspect;
    // Level l is stored when the mask has bit (l & 1): EVEN is 1, ODD 2.
    uint32_t mask = evenOdd & GR_MIPMAPLEVELMASK_BOTH;
    uint32_t texels = 0;
    for (GrLOD_t l = largeLod < GR_LOD_LOG2_256 ? largeLod : GR_LOD_LOG2_256;
         l > lod && l >= GR_LOD_LOG2_1; l--) {
        uint32_t longer = 1u << l, shorter = longer >> shift;
        texels += (mask >> (l & 1) & 1) * longer * (shorter > 0 ? shorter : 1);
    }
    return texels * bpt;
}

int texBaseRange(GrLOD_t lod)
{
    return lod >= GR_LOD_LOG2_64 ? lod - GR_LOD_LOG2_32 : GR_TEXBASE_32_TO_1;
}

GrLOD_t texBaseRangeTop(int range, GrLOD_t largeLod)
{
    if (range != GR_TEXBASE_32_TO_1)
        return GR_LOD_LOG2_32 + range;
    return largeLod < GR_LOD_LOG2_32 ? largeLod : GR_LOD_LOG2_32;
}

// Memory a mipmap takes, as the hardware driver counts it: the whole chain
// counts each level's raw size; an even or odd half counts each of its levels
// as at least 2 x 2 texels. Rounded up to 16 bytes.
static uint32_t memRequired(GrLOD_t smallLod, GrLOD_t largeLod, GrAspectRatio_t aspect,
                            GrTextureFormat_t format, FxU32 evenOdd)
{
    uint32_t bytes = 0;
    int bpt = texFormatBytes(format);
    for (GrLOD_t l = smallLod; l <= largeLod; l++) {
        if (!texLevelSelected(l, evenOdd))
            continue;
        int w = 0, h = 0;
        texLevelSize(l, aspect, &w, &h);
        if ((evenOdd & GR_MIPMAPLEVELMASK_BOTH) != GR_MIPMAPLEVELMASK_BOTH) {
            w = w < 2 ? 2 : w;
            h = h < 2 ? 2 : h;
        }
        bytes += (uint32_t)(w * h * bpt);
    }
    return (bytes + 15) & ~15u;
}

// The level range of a description, whichever way round its two ends are
// given: a description asking for "small 8, large 0" means the same chain.
static bool rangeOf(GrLOD_t a, GrLOD_t b, GrAspectRatio_t aspect, GrTextureFormat_t format,
                    GrLOD_t* smallLod, GrLOD_t* largeLod)
{
    *smallLod = a < b ? a : b;
    *largeLod = a < b ? b : a;
    return texInfoValid(*smallLod, *largeLod, aspect, format);
}

static bool tmuUsable(const char* call, GrChipID_t tmu)
{
    if (!requireWindow(call))
        return false;
    if (tmu < 0 || tmu >= dev.config.numTmu) {
        reportError("%s: no texture unit %d", call, tmu);
        return false;
    }
    return true;
}

static bool rangeFits(const char* call, FxU32 start, uint32_t bytes)
{
    if (start % 16 != 0) {
        reportError("%s: address %u is not a multiple of 16", call, start);
        return false;
    }
    if (start > dev.texMemSize || bytes > dev.texMemSize - start) {
        reportError("%s: %u bytes at %u do not fit in texture memory", call, bytes, start);
        return false;
    }
    return true;
}

static void writeTexMem(int tmu, uint32_t address, const void* data, uint32_t bytes)
{
    memcpy(dev.texMem[tmu] + address, data, bytes);
    texCacheInvalidateRange(tmu, address, address + bytes);
}

extern "C" {

FxU32 grTexMinAddress(GrChipID_t tmu)
{
    TRACE("grTexMinAddress(%d)", tmu);
    (void)tmu;
    return 0;
}

FxU32 grTexMaxAddress(GrChipID_t tmu)
{
    TRACE("grTexMaxAddress(%d)", tmu);
    (void)tmu;
    if (dev.initialised)
        return dev.texMemSize;
    Config config;
    configRead(&config);
    return config.texMemSize;
}

FxU32 grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info)
{
    TRACE("grTexTextureMemRequired(%u, ptr)", evenOdd);
    GrLOD_t smallLod, largeLod;
    if (!info || !rangeOf(info->smallLodLog2, info->largeLodLog2, info->aspectRatioLog2,
                          info->format, &smallLod, &largeLod)) {
        reportError("grTexTextureMemRequired: invalid texture description");
        return 0;
    }
    return memRequired(smallLod, largeLod, info->aspectRatioLog2, info->format, evenOdd);
}

FxU32 grTexCalcMemRequired(GrLOD_t lodmin, GrLOD_t lodmax, GrAspectRatio_t aspect,
                           GrTextureFormat_t fmt)
{
    TRACE("grTexCalcMemRequired(%d, %d, %d, %d)", lodmin, lodmax, aspect, fmt);
    GrLOD_t smallLod, largeLod;
    if (!rangeOf(lodmin, lodmax, aspect, fmt, &smallLod, &largeLod)) {
        reportError("grTexCalcMemRequired: invalid texture description");
        return 0;
    }
    return memRequired(smallLod, largeLod, aspect, fmt, GR_MIPMAPLEVELMASK_BOTH);
}

void grTexDownloadMipMap(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info)
{
    TRACE("grTexDownloadMipMap(%d, %u, %u, ptr)", tmu, startAddress, evenOdd);
    if (!tmuUsable("grTexDownloadMipMap", tmu))
        return;
    if (!info || !info->data ||
        !texInfoValid(info->smallLodLog2, info->largeLodLog2, info->aspectRatioLog2,
                      info->format) ||
        (evenOdd & GR_MIPMAPLEVELMASK_BOTH) == 0) {
        reportError("grTexDownloadMipMap: invalid texture description");
        return;
    }
    GrLOD_t smallLod = info->smallLodLog2, largeLod = info->largeLodLog2;
    GrAspectRatio_t aspect = info->aspectRatioLog2;
    GrTextureFormat_t format = info->format;
    uint32_t stored = texLevelOffset(smallLod - 1, largeLod, aspect, format, evenOdd);
    if (!rangeFits("grTexDownloadMipMap", startAddress, stored))
        return;
    // The host buffer always holds the whole chain, largest level first.
    const uint8_t* src = (const uint8_t*)info->data;
    uint32_t hostOffset = 0, memOffset = 0;
    for (GrLOD_t l = largeLod; l >= smallLod; l--) {
        uint32_t bytes = levelBytes(l, aspect, format);
        if (texLevelSelected(l, evenOdd)) {
            memcpy(dev.texMem[tmu] + startAddress + memOffset, src + hostOffset, bytes);
            memOffset += bytes;
        }
        hostOffset += bytes;
    }
    texCacheInvalidateRange(tmu, startAddress, startAddress + stored);
}

void grTexDownloadMipMapLevel(GrChipID_t tmu, FxU32 startAddress, GrLOD_t thisLod, GrLOD_t largeLod,
                              GrAspectRatio_t aspectRatio, GrTextureFormat_t format, FxU32 evenOdd,
                              void* data)
{
    TRACE("grTexDownloadMipMapLevel(%d, %u, %d, %d, %d, %d, %u, ptr)", tmu, startAddress, thisLod,
          largeLod, aspectRatio, format, evenOdd);
    if (!tmuUsable("grTexDownloadMipMapLevel", tmu))
        return;
    if (!data || !texInfoValid(thisLod, largeLod, aspectRatio, format) ||
        !texLevelSelected(thisLod, evenOdd)) {
        reportError("grTexDownloadMipMapLevel: invalid texture description");
        return;
    }
    uint32_t offset = texLevelOffset(thisLod, largeLod, aspectRatio, format, evenOdd);
    uint32_t bytes = levelBytes(thisLod, aspectRatio, format);
    if (!rangeFits("grTexDownloadMipMapLevel", startAddress, offset + bytes))
        return;
    writeTexMem(tmu, startAddress + offset, data, bytes);
}

FxBool grTexDownloadMipMapLevelPartial(GrChipID_t tmu, FxU32 startAddress, GrLOD_t thisLod,
                                       GrLOD_t largeLod, GrAspectRatio_t aspectRatio,
                                       GrTextureFormat_t format, FxU32 evenOdd, void* data,
                                       int start, int end)
{
    TRACE("grTexDownloadMipMapLevelPartial(%d, %u, %d, %d, %d, %d, %u, ptr, %d, %d)", tmu,
          startAddress, thisLod, largeLod, aspectRatio, format, evenOdd, start, end);
    if (!tmuUsable("grTexDownloadMipMapLevelPartial", tmu))
        return FXFALSE;
    int w, h;
    if (!data || !texInfoValid(thisLod, largeLod, aspectRatio, format) ||
        !texLevelSelected(thisLod, evenOdd) || !texLevelSize(thisLod, aspectRatio, &w, &h) ||
        start < 0 || end < start || end >= h) {
        reportError("grTexDownloadMipMapLevelPartial: invalid argument");
        return FXFALSE;
    }
    uint32_t pitch = (uint32_t)(w * texFormatBytes(format));
    uint32_t offset =
        texLevelOffset(thisLod, largeLod, aspectRatio, format, evenOdd) + (uint32_t)start * pitch;
    uint32_t bytes = (uint32_t)(end - start + 1) * pitch;
    if (!rangeFits("grTexDownloadMipMapLevelPartial", startAddress, offset + bytes))
        return FXFALSE;
    // `data` holds the rows start..end only.
    writeTexMem(tmu, startAddress + offset, data, bytes);
    return FXTRUE;
}

// Each unit's last source that passed the checks below, and the memory size
// and split-address mode they were made under: a program sets its sources
// per polygon, mostly ones it set before.
struct CheckedSource {
    bool valid;
    bool multibase;
    uint32_t memSize;
    FxU32 address, evenOdd;
    GrLOD_t smallLod, largeLod;
    GrAspectRatio_t aspect;
    GrTextureFormat_t format;
};
static CheckedSource checkedSource[MAX_TMU];

static bool sourceChecked(const CheckedSource& c, FxU32 address, FxU32 evenOdd,
                          const GrTexInfo* info, bool multibase)
{
    return c.valid && c.address == address && c.evenOdd == evenOdd &&
           c.smallLod == info->smallLodLog2 && c.largeLod == info->largeLodLog2 &&
           c.aspect == info->aspectRatioLog2 && c.format == info->format &&
           c.multibase == multibase && c.memSize == dev.texMemSize;
}

void grTexSource(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info)
{
    TRACE("grTexSource(%d, %u, %u, ptr)", tmu, startAddress, evenOdd);
    if (!tmuUsable("grTexSource", tmu))
        return;
    TmuState& u = gs.tmu[tmu];
    CheckedSource& checked = checkedSource[tmu];
    if (!info || !sourceChecked(checked, startAddress, evenOdd, info, u.multibase != FXFALSE)) {
        if (!info ||
            !texInfoValid(info->smallLodLog2, info->largeLodLog2, info->aspectRatioLog2,
                          info->format) ||
            (evenOdd & GR_MIPMAPLEVELMASK_BOTH) == 0) {
            reportError("grTexSource: invalid texture description");
            return;
        }
        // With split addresses only level 256 lies at the start address (the
        // board's first base address serves both). A single level (a light
        // map, set thousands of times a frame) is sized on the spot.
        uint32_t stored;
        if (u.multibase) {
            stored = info->largeLodLog2 == GR_LOD_LOG2_256
                         ? texLevelOffset(GR_LOD_LOG2_128, GR_LOD_LOG2_256, info->aspectRatioLog2,
                                          info->format, evenOdd)
                         : 0;
        } else if (info->smallLodLog2 == info->largeLodLog2) {
            GrLOD_t l = info->largeLodLog2;
            int shift = info->aspectRatioLog2 < 0 ? -info->aspectRatioLog2 : info->aspectRatioLog2;
            uint32_t longer = 1u << l, shorter = longer >> shift;
            stored = ((evenOdd & GR_MIPMAPLEVELMASK_BOTH) >> (l & 1) & 1) * longer *
                     (shorter > 0 ? shorter : 1) * (uint32_t)texFormatBytes(info->format);
        } else {
            stored = texLevelOffset(info->smallLodLog2 - 1, info->largeLodLog2,
                                    info->aspectRatioLog2, info->format, evenOdd);
        }
        if (!rangeFits("grTexSource", startAddress, stored))
            return;
        checked = {true,
                   u.multibase != FXFALSE,
                   dev.texMemSize,
                   startAddress,
                   evenOdd,
                   info->smallLodLog2,
                   info->largeLodLog2,
                   info->aspectRatioLog2,
                   info->format};
    }
    FxU32 storedEvenOdd = evenOdd & GR_MIPMAPLEVELMASK_BOTH;
    bool top = info->largeLodLog2 == GR_LOD_LOG2_256;
    // The same source again changes nothing.
    if (u.sourceValid == FXTRUE && u.sourceAddress == startAddress && u.sourceEvenOdd == storedEvenOdd &&
        u.smallLod == info->smallLodLog2 && u.largeLod == info->largeLodLog2 &&
        u.aspect == info->aspectRatioLog2 && u.format == info->format &&
        (!top || u.multibaseAddress[GR_TEXBASE_256] == startAddress))
        return;
    u.sourceValid = FXTRUE;
    u.sourceAddress = startAddress;
    u.sourceEvenOdd = storedEvenOdd;
    u.smallLod = info->smallLodLog2;
    u.largeLod = info->largeLodLog2;
    u.aspect = info->aspectRatioLog2;
    u.format = info->format;
    if (top)
        u.multibaseAddress[GR_TEXBASE_256] = startAddress;
    markSourceChanged(tmu);
}

static void downloadTable(const char* call, GrTexTable_t type, const void* data, int start, int end)
{
    if (!requireWindow(call))
        return;
    if (!data || start < 0 || end > 255 || start > end) {
        reportError("%s: invalid argument", call);
        return;
    }
    switch (type) {
    case GR_TEXTABLE_PALETTE: {
        const GuTexPalette* p = (const GuTexPalette*)data;
        for (int i = start; i <= end; i++)
            dev.palette[i] = 0xFF000000u | (p->data[i] & 0x00FFFFFFu);
        break;
    }
    case GR_TEXTABLE_PALETTE_6666_EXT: {
        // 0xAARRGGBB words; the palette keeps the top six bits of each.
        const GuTexPalette* p = (const GuTexPalette*)data;
        for (int i = start; i <= end; i++) {
            uint32_t e = p->data[i], argb = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                uint32_t c = (e >> (shift + 2)) & 63;
                argb |= ((c << 2) | (c >> 4)) << shift;
            }
            dev.palette[i] = argb;
        }
        break;
    }
    case GR_TEXTABLE_NCC0:
    case GR_TEXTABLE_NCC1: memcpy(&dev.ncc[type], data, sizeof(GuNccTable)); break;
    default: reportError("%s: invalid table type %u", call, type); return;
    }
    texCacheInvalidateTables();
}

void grTexDownloadTable(GrTexTable_t type, void* data)
{
    TRACE("grTexDownloadTable(%u, ptr)", type);
    downloadTable("grTexDownloadTable", type, data, 0, 255);
}

void grTexDownloadTablePartial(GrTexTable_t type, void* data, int start, int end)
{
    TRACE("grTexDownloadTablePartial(%u, ptr, %d, %d)", type, start, end);
    if (type == GR_TEXTABLE_NCC0 || type == GR_TEXTABLE_NCC1) {
        downloadTable("grTexDownloadTablePartial", type, data, 0, 255);
        return;
    }
    downloadTable("grTexDownloadTablePartial", type, data, start, end);
}

// Split-address mipmaps, a Voodoo2 feature: while on, levels 256, 128 and 64
// each lie at an address of their own and the rest (from 32 down) at a
// fourth, each range stored as a mipmap of its own from its largest level.
void grTexMultibase(GrChipID_t tmu, FxBool enable)
{
    TRACE("grTexMultibase(%d, %d)", tmu, traceBool(enable));
    if (!tmuUsable("grTexMultibase", tmu))
        return;
    gs.tmu[tmu].multibase = enable ? FXTRUE : FXFALSE;
    markStale();
}

void grTexMultibaseAddress(GrChipID_t tmu, GrTexBaseRange_t range, FxU32 startAddress,
                           FxU32 evenOdd, GrTexInfo* info)
{
    TRACE("grTexMultibaseAddress(%d, %u, %u, %u, ptr)", tmu, range, startAddress, evenOdd);
    if (!tmuUsable("grTexMultibaseAddress", tmu))
        return;
    if (range > GR_TEXBASE_256 || !info ||
        !texInfoValid(info->smallLodLog2, info->largeLodLog2, info->aspectRatioLog2,
                      info->format) ||
        (evenOdd & GR_MIPMAPLEVELMASK_BOTH) == 0) {
        reportError("grTexMultibaseAddress: invalid argument");
        return;
    }
    // The levels of the range this texture has must fit from the address.
    GrLOD_t top = texBaseRangeTop((int)range, info->largeLodLog2);
    GrLOD_t bottom = range == GR_TEXBASE_32_TO_1 ? info->smallLodLog2 : top;
    uint32_t bytes = 0;
    if (top <= info->largeLodLog2 && bottom >= info->smallLodLog2 && bottom <= top)
        bytes = texLevelOffset(bottom - 1, top, info->aspectRatioLog2, info->format, evenOdd);
    if (!rangeFits("grTexMultibaseAddress", startAddress, bytes))
        return;
    gs.tmu[tmu].multibaseAddress[range] = startAddress;
    markStale();
}

}   // extern "C"

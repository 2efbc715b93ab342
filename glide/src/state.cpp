// The rendering-state calls: each checks its arguments, records the value in
// `gs` and marks the pixel path stale.
#include "device.h"

#include <cmath>
#include <cstring>

void stateReset(void)
{
    memset(&gs, 0, sizeof gs);
    gs.colorCombine = {GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                       GR_COMBINE_OTHER_NONE, FXFALSE};
    gs.alphaCombine = gs.colorCombine;
    gs.blendRgbSrc = GR_BLEND_ONE;
    gs.blendRgbDst = GR_BLEND_ZERO;
    gs.blendAlphaSrc = GR_BLEND_ONE;
    gs.blendAlphaDst = GR_BLEND_ZERO;
    gs.alphaTestFunction = GR_CMP_ALWAYS;
    gs.alphaTestRef = 0;
    gs.depthMode = GR_DEPTHBUFFER_DISABLE;
    gs.depthFunction = GR_CMP_LESS;
    gs.depthMask = FXFALSE;
    gs.depthBias = 0;
    gs.colorMaskRgb = FXTRUE;
    gs.colorMaskAlpha = FXFALSE;
    gs.chromakeyMode = GR_CHROMAKEY_DISABLE;
    gs.fogMode = GR_FOG_DISABLE;
    gs.constantColor = 0;
    gs.cullMode = GR_CULL_DISABLE;
    gs.clipMinX = 0;
    gs.clipMinY = 0;
    gs.clipMaxX = (FxU32)dev.width;
    gs.clipMaxY = (FxU32)dev.height;
    // Pictures stay exact: no dithering unless the application asks for it.
    gs.ditherMode = GR_DITHER_DISABLE;
    gs.coordinateSpace = GR_WINDOW_COORDS;
    gs.viewportWidth = dev.width;
    gs.viewportHeight = dev.height;
    gs.depthRangeNear = 0.0f;
    gs.depthRangeFar = 1.0f;
    gs.origin = GR_ORIGIN_UPPER_LEFT;
    gs.renderBuffer = GR_BUFFER_BACKBUFFER;
    gs.nccTable = GR_NCCTABLE_NCC0;
    gs.lfbConstantAlpha = 0xFF;
    gs.lfbConstantDepth = 0;
    gs.lfbWriteColorFormat = GR_COLORFORMAT_ARGB;
    for (int t = 0; t < MAX_TMU; t++) {
        TmuState& u = gs.tmu[t];
        u.sourceValid = FXFALSE;
        u.minFilter = GR_TEXTUREFILTER_POINT_SAMPLED;
        u.magFilter = GR_TEXTUREFILTER_POINT_SAMPLED;
        u.clampS = GR_TEXTURECLAMP_WRAP;
        u.clampT = GR_TEXTURECLAMP_WRAP;
        u.mipmapMode = GR_MIPMAP_DISABLE;
        u.detailMax = 1.0f;
        u.rgbFunction = GR_COMBINE_FUNCTION_LOCAL;
        u.alphaFunction = GR_COMBINE_FUNCTION_LOCAL;
        u.rgbFactor = GR_COMBINE_FACTOR_NONE;
        u.alphaFactor = GR_COMBINE_FACTOR_NONE;
    }
    markStale();
}

static bool validFunction(GrCombineFunction_t f)
{
    return (f >= 0 && f <= 9) || f == 0x10;
}
static bool validFactor(GrCombineFactor_t f)
{
    return (f >= 0 && f <= 5) || (f >= 8 && f <= 0xD);
}
static bool validCompare(GrCmpFnc_t f)
{
    return f >= GR_CMP_NEVER && f <= GR_CMP_ALWAYS;
}
static bool validBlend(GrAlphaBlendFnc_t f)
{
    return (f >= 0 && f <= 7) || f == 0xF;
}

static bool validUnit(const CombineUnit& u, int maxLocal)
{
    return validFunction(u.function) && validFactor(u.factor) && u.local >= 0 &&
           u.local <= maxLocal && u.other >= 0 && u.other <= 2;
}

static bool validBool(FxBool b)
{
    return b == FXTRUE || b == FXFALSE;
}

// Every value of a saved state within what its setter accepts, so a buffer
// that never came from grGlideGetState cannot steer the pixel path astray.
static bool stateValid(const GlideState& s)
{
    if (!validUnit(s.colorCombine, 1) || !validUnit(s.alphaCombine, 2) ||
        !validBool(s.colorCombine.invert) || !validBool(s.alphaCombine.invert))
        return false;
    if (!validBlend(s.blendRgbSrc) || !validBlend(s.blendRgbDst) || !validBlend(s.blendAlphaSrc) ||
        !validBlend(s.blendAlphaDst))
        return false;
    if (!validCompare(s.alphaTestFunction) || !validCompare(s.depthFunction))
        return false;
    if (s.depthMode < GR_DEPTHBUFFER_DISABLE ||
        s.depthMode > GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS)
        return false;
    if (!validBool(s.depthMask) || !validBool(s.colorMaskRgb) || !validBool(s.colorMaskAlpha))
        return false;
    if (s.depthBias < -0x8000 || s.depthBias > 0x7FFF)
        return false;
    if ((s.chromakeyMode != GR_CHROMAKEY_DISABLE && s.chromakeyMode != GR_CHROMAKEY_ENABLE) ||
        !validBool(s.chromaRange))
        return false;
    if ((s.fogMode & 0xFF) > GR_FOG_WITH_ITERATED_ALPHA_EXT ||
        (s.fogMode & ~(0xFF | GR_FOG_MULT2 | GR_FOG_ADD2)))
        return false;
    if (s.cullMode < GR_CULL_DISABLE || s.cullMode > GR_CULL_POSITIVE)
        return false;
    if (s.ditherMode < GR_DITHER_DISABLE || s.ditherMode > GR_DITHER_4x4)
        return false;
    if (s.coordinateSpace != GR_WINDOW_COORDS && s.coordinateSpace != GR_CLIP_COORDS)
        return false;
    if (s.origin != GR_ORIGIN_UPPER_LEFT && s.origin != GR_ORIGIN_LOWER_LEFT)
        return false;
    if (s.renderBuffer != GR_BUFFER_FRONTBUFFER && s.renderBuffer != GR_BUFFER_BACKBUFFER)
        return false;
    if (s.nccTable != GR_NCCTABLE_NCC0 && s.nccTable != GR_NCCTABLE_NCC1)
        return false;
    if (s.lfbWriteColorFormat < GR_COLORFORMAT_ARGB || s.lfbWriteColorFormat > GR_COLORFORMAT_BGRA)
        return false;
    for (const TmuState& u : s.tmu) {
        if (!validFunction(u.rgbFunction) || !validFactor(u.rgbFactor) ||
            !validFunction(u.alphaFunction) || !validFactor(u.alphaFactor))
            return false;
        if (u.minFilter < 0 || u.minFilter > 1 || u.magFilter < 0 || u.magFilter > 1)
            return false;
        if (u.clampS < 0 || u.clampS > 2 || u.clampT < 0 || u.clampT > 2)
            return false;
        if (u.mipmapMode < GR_MIPMAP_DISABLE || u.mipmapMode > GR_MIPMAP_NEAREST_DITHER ||
            !validBool(u.texChroma))
            return false;
        if (!(u.lodBias >= -8.0f && u.lodBias <= 7.75f) || u.detailScale < 0 || u.detailScale > 7 ||
            u.detailBias < -32 || u.detailBias > 31 ||
            !(u.detailMax >= 0.0f && u.detailMax <= 1.0f))
            return false;
        // The texture source itself is checked against memory when drawn.
    }
    return true;
}

static bool validTmu(const char* call, GrChipID_t tmu)
{
    if (tmu >= 0 && tmu < dev.config.numTmu)
        return true;
    reportError("%s: no texture unit %d", call, tmu);
    return false;
}

extern "C" {

void grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert)
{
    TRACE("grColorCombine(%d, %d, %d, %d, %d)", function, factor, local, other, traceBool(invert));
    if (!requireWindow("grColorCombine"))
        return;
    if (!validFunction(function) || !validFactor(factor) || local < 0 || local > 1 || other < 0 ||
        other > 2) {
        reportError("grColorCombine: invalid argument");
        return;
    }
    gs.colorCombine = {function, factor, local, other, invert ? FXTRUE : FXFALSE};
    markStale();
}

void grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert)
{
    TRACE("grAlphaCombine(%d, %d, %d, %d, %d)", function, factor, local, other, traceBool(invert));
    if (!requireWindow("grAlphaCombine"))
        return;
    if (!validFunction(function) || !validFactor(factor) || local < 0 || local > 2 || other < 0 ||
        other > 2) {
        reportError("grAlphaCombine: invalid argument");
        return;
    }
    gs.alphaCombine = {function, factor, local, other, invert ? FXTRUE : FXFALSE};
    markStale();
}

void grTexCombine(GrChipID_t tmu, GrCombineFunction_t rgb_function, GrCombineFactor_t rgb_factor,
                  GrCombineFunction_t alpha_function, GrCombineFactor_t alpha_factor,
                  FxBool rgb_invert, FxBool alpha_invert)
{
    TRACE("grTexCombine(%d, %d, %d, %d, %d, %d, %d)", tmu, rgb_function, rgb_factor, alpha_function,
          alpha_factor, traceBool(rgb_invert), traceBool(alpha_invert));
    if (!requireWindow("grTexCombine") || !validTmu("grTexCombine", tmu))
        return;
    if (!validFunction(rgb_function) || !validFactor(rgb_factor) ||
        !validFunction(alpha_function) || !validFactor(alpha_factor)) {
        reportError("grTexCombine: invalid argument");
        return;
    }
    TmuState& u = gs.tmu[tmu];
    u.rgbFunction = rgb_function;
    u.rgbFactor = rgb_factor;
    u.alphaFunction = alpha_function;
    u.alphaFactor = alpha_factor;
    u.rgbInvert = rgb_invert ? FXTRUE : FXFALSE;
    u.alphaInvert = alpha_invert ? FXTRUE : FXFALSE;
    markStale();
}

void grAlphaBlendFunction(GrAlphaBlendFnc_t rgb_sf, GrAlphaBlendFnc_t rgb_df,
                          GrAlphaBlendFnc_t alpha_sf, GrAlphaBlendFnc_t alpha_df)
{
    TRACE("grAlphaBlendFunction(%d, %d, %d, %d)", rgb_sf, rgb_df, alpha_sf, alpha_df);
    if (!requireWindow("grAlphaBlendFunction"))
        return;
    if (!validBlend(rgb_sf) || !validBlend(rgb_df) || !validBlend(alpha_sf) ||
        !validBlend(alpha_df)) {
        reportError("grAlphaBlendFunction: invalid argument");
        return;
    }
    gs.blendRgbSrc = rgb_sf;
    gs.blendRgbDst = rgb_df;
    gs.blendAlphaSrc = alpha_sf;
    gs.blendAlphaDst = alpha_df;
    markStale();
}

void grAlphaTestFunction(GrCmpFnc_t function)
{
    TRACE("grAlphaTestFunction(%d)", function);
    if (!requireWindow("grAlphaTestFunction"))
        return;
    if (!validCompare(function)) {
        reportError("grAlphaTestFunction: invalid function %d", function);
        return;
    }
    gs.alphaTestFunction = function;
    markStale();
}

void grAlphaTestReferenceValue(GrAlpha_t value)
{
    TRACE("grAlphaTestReferenceValue(%d)", value);
    if (!requireWindow("grAlphaTestReferenceValue"))
        return;
    gs.alphaTestRef = value;
    markStale();
}

void grAlphaControlsITRGBLighting(FxBool enable)
{
    TRACE("grAlphaControlsITRGBLighting(%d)", traceBool(enable));
    if (!requireWindow("grAlphaControlsITRGBLighting"))
        return;
    gs.alphaControlsItrgbLighting = enable ? FXTRUE : FXFALSE;
    markStale();
}

void grChromakeyMode(GrChromakeyMode_t mode)
{
    TRACE("grChromakeyMode(%d)", mode);
    if (!requireWindow("grChromakeyMode"))
        return;
    if (mode != GR_CHROMAKEY_DISABLE && mode != GR_CHROMAKEY_ENABLE) {
        reportError("grChromakeyMode: invalid mode %d", mode);
        return;
    }
    gs.chromakeyMode = mode;
    markStale();
}

void grChromakeyValue(GrColor_t value)
{
    TRACE("grChromakeyValue(0x%08X)", value);
    if (!requireWindow("grChromakeyValue"))
        return;
    gs.chromakeyValue = value;
    markStale();
}

void grClipWindow(FxU32 minx, FxU32 miny, FxU32 maxx, FxU32 maxy)
{
    TRACE("grClipWindow(%u, %u, %u, %u)", minx, miny, maxx, maxy);
    if (!requireWindow("grClipWindow"))
        return;
    // Larger than the screen is cut to it; an empty window draws nothing.
    gs.clipMinX = minx;
    gs.clipMinY = miny;
    gs.clipMaxX = maxx;
    gs.clipMaxY = maxy;
    markStale();
}

void grColorMask(FxBool rgb, FxBool a)
{
    TRACE("grColorMask(%d, %d)", traceBool(rgb), traceBool(a));
    if (!requireWindow("grColorMask"))
        return;
    gs.colorMaskRgb = rgb ? FXTRUE : FXFALSE;
    gs.colorMaskAlpha = a ? FXTRUE : FXFALSE;
    markStale();
}

void grCullMode(GrCullMode_t mode)
{
    TRACE("grCullMode(%d)", mode);
    if (!requireWindow("grCullMode"))
        return;
    if (mode < GR_CULL_DISABLE || mode > GR_CULL_POSITIVE) {
        reportError("grCullMode: invalid mode %d", mode);
        return;
    }
    gs.cullMode = mode;
}

void grConstantColorValue(GrColor_t value)
{
    TRACE("grConstantColorValue(0x%08X)", value);
    if (!requireWindow("grConstantColorValue"))
        return;
    gs.constantColor = value;
    markStale();
}

void grDepthBiasLevel(FxI32 level)
{
    TRACE("grDepthBiasLevel(%d)", level);
    if (!requireWindow("grDepthBiasLevel"))
        return;
    // The board keeps the level's low 16 bits, as a signed bias.
    int32_t low = (int32_t)((uint32_t)level & 0xFFFFu);
    gs.depthBias = low >= 0x8000 ? low - 0x10000 : low;
    markStale();
}

void grDepthBufferFunction(GrCmpFnc_t function)
{
    TRACE("grDepthBufferFunction(%d)", function);
    if (!requireWindow("grDepthBufferFunction"))
        return;
    if (!validCompare(function)) {
        reportError("grDepthBufferFunction: invalid function %d", function);
        return;
    }
    gs.depthFunction = function;
    markStale();
}

void grDepthBufferMode(GrDepthBufferMode_t mode)
{
    TRACE("grDepthBufferMode(%d)", mode);
    if (!requireWindow("grDepthBufferMode"))
        return;
    if (mode < GR_DEPTHBUFFER_DISABLE || mode > GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS) {
        reportError("grDepthBufferMode: invalid mode %d", mode);
        return;
    }
    gs.depthMode = mode;
    markStale();
}

void grDepthMask(FxBool mask)
{
    TRACE("grDepthMask(%d)", traceBool(mask));
    if (!requireWindow("grDepthMask"))
        return;
    gs.depthMask = mask ? FXTRUE : FXFALSE;
    markStale();
}

void grDisableAllEffects(void)
{
    TRACE("grDisableAllEffects()");
    if (!requireWindow("grDisableAllEffects"))
        return;
    gs.blendRgbSrc = GR_BLEND_ONE;
    gs.blendRgbDst = GR_BLEND_ZERO;
    gs.blendAlphaSrc = GR_BLEND_ONE;
    gs.blendAlphaDst = GR_BLEND_ZERO;
    gs.alphaTestFunction = GR_CMP_ALWAYS;
    gs.chromakeyMode = GR_CHROMAKEY_DISABLE;
    gs.depthMode = GR_DEPTHBUFFER_DISABLE;
    gs.fogMode = GR_FOG_DISABLE;
    markStale();
}

void grDitherMode(GrDitherMode_t mode)
{
    TRACE("grDitherMode(%d)", mode);
    if (!requireWindow("grDitherMode"))
        return;
    if (mode < GR_DITHER_DISABLE || mode > GR_DITHER_4x4) {
        reportError("grDitherMode: invalid mode %d", mode);
        return;
    }
    gs.ditherMode = mode;
    markStale();
}

void grFogColorValue(GrColor_t fogcolor)
{
    TRACE("grFogColorValue(0x%08X)", fogcolor);
    if (!requireWindow("grFogColorValue"))
        return;
    gs.fogColor = fogcolor;
    markStale();
}

void grFogMode(GrFogMode_t mode)
{
    TRACE("grFogMode(%d)", mode);
    if (!requireWindow("grFogMode"))
        return;
    int base = mode & 0xFF;
    if (base > GR_FOG_WITH_ITERATED_ALPHA_EXT || (mode & ~(0xFF | GR_FOG_MULT2 | GR_FOG_ADD2))) {
        reportError("grFogMode: invalid mode %d", mode);
        return;
    }
    gs.fogMode = mode;
    markStale();
}

void grFogTable(const GrFog_t ft[])
{
    TRACE("grFogTable(ptr)");
    if (!requireWindow("grFogTable"))
        return;
    if (!ft) {
        reportError("grFogTable: null table");
        return;
    }
    memcpy(gs.fogTable, ft, sizeof gs.fogTable);
    markStale();
}

void grCoordinateSpace(GrCoordinateSpaceMode_t mode)
{
    TRACE("grCoordinateSpace(%u)", mode);
    if (!requireWindow("grCoordinateSpace"))
        return;
    if (mode != GR_WINDOW_COORDS && mode != GR_CLIP_COORDS) {
        reportError("grCoordinateSpace: invalid mode %u", mode);
        return;
    }
    gs.coordinateSpace = mode;
}

void grViewport(FxI32 x, FxI32 y, FxI32 width, FxI32 height)
{
    TRACE("grViewport(%d, %d, %d, %d)", x, y, width, height);
    if (!requireWindow("grViewport"))
        return;
    gs.viewportX = x;
    gs.viewportY = y;
    gs.viewportWidth = width;
    gs.viewportHeight = height;
}

void grDepthRange(FxFloat n, FxFloat f)
{
    TRACE("grDepthRange(%g, %g)", (double)n, (double)f);
    if (!requireWindow("grDepthRange"))
        return;
    gs.depthRangeNear = n;
    gs.depthRangeFar = f;
}

void grEnable(GrEnableMode_t mode)
{
    TRACE("grEnable(%u)", mode);
    // Programs written for the board switch the logo off before opening
    // their window; it is never drawn here.
    if (mode == GR_SHAMELESS_PLUG && !dev.open)
        return;
    if (!requireWindow("grEnable"))
        return;
    if (mode >= 8) {
        reportError("grEnable: invalid mode %u", mode);
        return;
    }
    if (mode == GR_ALLOW_MIPMAP_DITHER)
        gs.allowMipmapDither = FXTRUE;
    gs.enableFlags[mode] = FXTRUE;
    markStale();
}

void grDisable(GrEnableMode_t mode)
{
    TRACE("grDisable(%u)", mode);
    // Programs written for the board switch the logo off before opening
    // their window; it is never drawn here.
    if (mode == GR_SHAMELESS_PLUG && !dev.open)
        return;
    if (!requireWindow("grDisable"))
        return;
    if (mode >= 8) {
        reportError("grDisable: invalid mode %u", mode);
        return;
    }
    if (mode == GR_ALLOW_MIPMAP_DITHER)
        gs.allowMipmapDither = FXFALSE;
    gs.enableFlags[mode] = FXFALSE;
    markStale();
}

void grStippleMode(GrStippleMode_t mode)
{
    TRACE("grStippleMode(%d)", mode);
    if (!requireWindow("grStippleMode"))
        return;
    gs.stippleMode = mode;
}

void grStipplePattern(GrStipplePattern_t pattern)
{
    TRACE("grStipplePattern(%u)", pattern);
    if (!requireWindow("grStipplePattern"))
        return;
    gs.stipplePattern = pattern;
}

void grSstOrigin(GrOriginLocation_t origin)
{
    TRACE("grSstOrigin(%d)", origin);
    if (!requireWindow("grSstOrigin"))
        return;
    if (origin != GR_ORIGIN_UPPER_LEFT && origin != GR_ORIGIN_LOWER_LEFT) {
        reportError("grSstOrigin: invalid origin %d", origin);
        return;
    }
    gs.origin = origin;
    markStale();
}

void grRenderBuffer(GrBuffer_t buffer)
{
    TRACE("grRenderBuffer(%d)", buffer);
    if (!requireWindow("grRenderBuffer"))
        return;
    if (buffer != GR_BUFFER_FRONTBUFFER && buffer != GR_BUFFER_BACKBUFFER) {
        reportError("grRenderBuffer: invalid buffer %d", buffer);
        return;
    }
    gs.renderBuffer = buffer;
    markStale();
}

void grTexFilterMode(GrChipID_t tmu, GrTextureFilterMode_t minfilter_mode,
                     GrTextureFilterMode_t magfilter_mode)
{
    TRACE("grTexFilterMode(%d, %d, %d)", tmu, minfilter_mode, magfilter_mode);
    if (!requireWindow("grTexFilterMode") || !validTmu("grTexFilterMode", tmu))
        return;
    if (minfilter_mode < 0 || minfilter_mode > 1 || magfilter_mode < 0 || magfilter_mode > 1) {
        reportError("grTexFilterMode: invalid filter");
        return;
    }
    gs.tmu[tmu].minFilter = minfilter_mode;
    gs.tmu[tmu].magFilter = magfilter_mode;
    markStale();
}

void grTexClampMode(GrChipID_t tmu, GrTextureClampMode_t s_clampmode,
                    GrTextureClampMode_t t_clampmode)
{
    TRACE("grTexClampMode(%d, %d, %d)", tmu, s_clampmode, t_clampmode);
    if (!requireWindow("grTexClampMode") || !validTmu("grTexClampMode", tmu))
        return;
    if (s_clampmode < 0 || s_clampmode > 2 || t_clampmode < 0 || t_clampmode > 2) {
        reportError("grTexClampMode: invalid mode");
        return;
    }
    gs.tmu[tmu].clampS = s_clampmode;
    gs.tmu[tmu].clampT = t_clampmode;
    markStale();
}

void grTexMipMapMode(GrChipID_t tmu, GrMipMapMode_t mode, FxBool lodBlend)
{
    TRACE("grTexMipMapMode(%d, %d, %d)", tmu, mode, traceBool(lodBlend));
    if (!requireWindow("grTexMipMapMode") || !validTmu("grTexMipMapMode", tmu))
        return;
    if (mode < GR_MIPMAP_DISABLE || mode > GR_MIPMAP_NEAREST_DITHER) {
        reportError("grTexMipMapMode: invalid mode %d", mode);
        return;
    }
    gs.tmu[tmu].mipmapMode = mode;
    gs.tmu[tmu].lodBlend = lodBlend ? FXTRUE : FXFALSE;
    markStale();
}

void grTexLodBiasValue(GrChipID_t tmu, float bias)
{
    TRACE("grTexLodBiasValue(%d, %g)", tmu, (double)bias);
    if (!requireWindow("grTexLodBiasValue") || !validTmu("grTexLodBiasValue", tmu))
        return;
    if (!std::isfinite(bias)) {
        reportError("grTexLodBiasValue: invalid bias");
        return;
    }
    // The hardware range, in quarter steps.
    if (bias < -8.0f)
        bias = -8.0f;
    if (bias > 7.75f)
        bias = 7.75f;
    gs.tmu[tmu].lodBias = bias;
    markStale();
}

void grTexDetailControl(GrChipID_t tmu, int lod_bias, FxU8 detail_scale, float detail_max)
{
    TRACE("grTexDetailControl(%d, %d, %d, %g)", tmu, lod_bias, detail_scale, (double)detail_max);
    if (!requireWindow("grTexDetailControl") || !validTmu("grTexDetailControl", tmu))
        return;
    if (lod_bias < -32 || lod_bias > 31 || detail_scale > 7 ||
        !(detail_max >= 0.0f && detail_max <= 1.0f)) {
        reportError("grTexDetailControl: invalid argument");
        return;
    }
    gs.tmu[tmu].detailBias = lod_bias;
    gs.tmu[tmu].detailScale = detail_scale;
    gs.tmu[tmu].detailMax = detail_max;
    markStale();
}

void grTexNCCTable(GrNCCTable_t table)
{
    TRACE("grTexNCCTable(%u)", table);
    if (!requireWindow("grTexNCCTable"))
        return;
    if (table != GR_NCCTABLE_NCC0 && table != GR_NCCTABLE_NCC1) {
        reportError("grTexNCCTable: invalid table %u", table);
        return;
    }
    gs.nccTable = table;
    markStale();
}

void grLfbConstantAlpha(GrAlpha_t alpha)
{
    TRACE("grLfbConstantAlpha(%d)", alpha);
    if (!requireWindow("grLfbConstantAlpha"))
        return;
    gs.lfbConstantAlpha = alpha;
}

void grLfbConstantDepth(FxU32 depth)
{
    TRACE("grLfbConstantDepth(%u)", depth);
    if (!requireWindow("grLfbConstantDepth"))
        return;
    gs.lfbConstantDepth = depth;
}

void grLfbWriteColorSwizzle(FxBool swizzleBytes, FxBool swapWords)
{
    TRACE("grLfbWriteColorSwizzle(%d, %d)", traceBool(swizzleBytes), traceBool(swapWords));
    if (!requireWindow("grLfbWriteColorSwizzle"))
        return;
    gs.lfbSwizzleBytes = swizzleBytes ? FXTRUE : FXFALSE;
    gs.lfbSwapWords = swapWords ? FXTRUE : FXFALSE;
}

void grLfbWriteColorFormat(GrColorFormat_t colorFormat)
{
    TRACE("grLfbWriteColorFormat(%d)", colorFormat);
    if (!requireWindow("grLfbWriteColorFormat"))
        return;
    if (colorFormat < GR_COLORFORMAT_ARGB || colorFormat > GR_COLORFORMAT_BGRA) {
        reportError("grLfbWriteColorFormat: invalid format %d", colorFormat);
        return;
    }
    gs.lfbWriteColorFormat = colorFormat;
}

void grGlideGetState(void* state)
{
    TRACE("grGlideGetState(ptr)");
    if (!requireWindow("grGlideGetState"))
        return;
    if (!state) {
        reportError("grGlideGetState: null buffer");
        return;
    }
    memcpy(state, &gs, sizeof gs);
}

void grGlideSetState(const void* state)
{
    TRACE("grGlideSetState(ptr)");
    if (!requireWindow("grGlideSetState"))
        return;
    if (!state) {
        reportError("grGlideSetState: null buffer");
        return;
    }
    GlideState saved;
    memcpy(&saved, state, sizeof saved);
    if (!stateValid(saved)) {
        reportError("grGlideSetState: not a state grGlideGetState saved");
        return;
    }
    memcpy(&gs, &saved, sizeof gs);
    markStale();
}

}   // extern "C"

// Chroma range: while on, the chroma key is the range [min, max] of red,
// green and blue (ends included) instead of one colour. It keys pixels
// whether or not grChromakeyMode is on, so programs that set only the range
// get it.
void chromaRangeModeExt(GrChromakeyMode_t mode)
{
    TRACE("grChromaRangeModeExt(%d)", mode);
    if (!requireWindow("grChromaRangeModeExt"))
        return;
    if (mode != GR_CHROMARANGE_DISABLE_EXT && mode != GR_CHROMARANGE_ENABLE_EXT) {
        reportError("grChromaRangeModeExt: invalid mode %d", mode);
        return;
    }
    gs.chromaRange = mode == GR_CHROMARANGE_ENABLE_EXT ? FXTRUE : FXFALSE;
    markStale();
}

// The range in the window's colour format; every channel must lie within it.
void chromaRangeExt(GrColor_t min, GrColor_t max, GrChromaRangeMode_t match)
{
    TRACE("grChromaRangeExt(0x%08X, 0x%08X, %d)", min, max, match);
    if (!requireWindow("grChromaRangeExt"))
        return;
    if (match != GR_CHROMARANGE_RGB_ALL_EXT) {
        reportError("grChromaRangeExt: invalid match mode %d", match);
        return;
    }
    gs.chromaRangeMin = min;
    gs.chromaRangeMax = max;
    markStale();
}

void texChromaModeExt(GrChipID_t tmu, GrTexChromakeyMode_t mode)
{
    TRACE("grTexChromaModeExt(%d, %d)", tmu, mode);
    if (!requireWindow("grTexChromaModeExt") || !validTmu("grTexChromaModeExt", tmu))
        return;
    if (mode != GR_TEXCHROMA_DISABLE_EXT && mode != GR_TEXCHROMA_ENABLE_EXT) {
        reportError("grTexChromaModeExt: invalid mode %d", mode);
        return;
    }
    gs.tmu[tmu].texChroma = mode == GR_TEXCHROMA_ENABLE_EXT ? FXTRUE : FXFALSE;
    markStale();
}

void texChromaRangeExt(GrChipID_t tmu, GrColor_t min, GrColor_t max, GrTexChromakeyMode_t match)
{
    TRACE("grTexChromaRangeExt(%d, 0x%08X, 0x%08X, %d)", tmu, min, max, match);
    if (!requireWindow("grTexChromaRangeExt") || !validTmu("grTexChromaRangeExt", tmu))
        return;
    if (match != GR_TEXCHROMARANGE_RGB_ALL_EXT) {
        reportError("grTexChromaRangeExt: invalid match mode %d", match);
        return;
    }
    gs.tmu[tmu].texChromaMin = min;
    gs.tmu[tmu].texChromaMax = max;
    markStale();
}

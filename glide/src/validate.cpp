// Choosing the pixel path: after any state change the next draw looks at the
// whole state once and lists the stages its pixels need, so the pixel loop
// itself never asks what the state is.
#include "pixel.h"

#include <cmath>
#include <cstddef>
#include <cstring>

Pipeline pixelPath;

namespace {

bool functionUsesLocal(int f)
{
    return f == GR_COMBINE_FUNCTION_LOCAL || f == GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL ||
           f == GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL ||
           f == GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL ||
           f == GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA ||
           f == GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL ||
           f == GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA;
}

bool functionUsesOther(int f)
{
    return f >= GR_COMBINE_FUNCTION_SCALE_OTHER &&
           f <= GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA;
}

bool functionUsesLocalAlpha(int f)
{
    return f == GR_COMBINE_FUNCTION_LOCAL_ALPHA ||
           f == GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA ||
           f == GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA ||
           f == GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA;
}

bool functionUsesFactor(int f)
{
    return f >= GR_COMBINE_FUNCTION_SCALE_OTHER;
}

// Which inputs a frame-buffer unit reads: bit per Input value.
unsigned unitInputs(int function, int factor, int local, int other, int localAlpha, int otherAlpha)
{
    unsigned used = 0;
    if (functionUsesLocal(function))
        used |= 1u << local;
    if (functionUsesOther(function))
        used |= 1u << other;
    if (functionUsesLocalAlpha(function))
        used |= 1u << localAlpha;
    if (functionUsesFactor(function)) {
        switch (factor & 7) {
        case 1: used |= 1u << local; break;
        case 2: used |= 1u << otherAlpha; break;
        case 3: used |= 1u << localAlpha; break;
        case 4:
        case 5: used |= 1u << IN_TEX; break;
        default: break;
        }
    }
    return used;
}

int colorOtherInput(int other)
{
    return other == GR_COMBINE_OTHER_TEXTURE
               ? IN_TEX
               : (other == GR_COMBINE_OTHER_CONSTANT ? IN_CONST : IN_ITER);
}

// What a texture unit's combine reads: its own texels, the unit upstream, the
// level of detail.
void tmuInputs(const TmuState& u, bool* local, bool* upstream, bool* lod)
{
    *local = *upstream = *lod = false;
    const int functions[2] = {u.rgbFunction, u.alphaFunction};
    const int factors[2] = {u.rgbFactor, u.alphaFactor};
    for (int k = 0; k < 2; k++) {
        int f = functions[k];
        if (functionUsesLocal(f) || functionUsesLocalAlpha(f))
            *local = true;
        if (functionUsesOther(f))
            *upstream = true;
        if (functionUsesFactor(f)) {
            int base = factors[k] & 7;
            if (base == 1 || base == 3)
                *local = true;
            if (base == 2)
                *upstream = true;
            if (base == 4 || base == 5)
                *lod = true;
        }
    }
}

// How each combine unit is evaluated: the common settings get short loops
// of their own (CombineOp), everything else the general formula.
CombinePlan planColorUnit(const CombineUnit& u, int alphaLocal, int alphaOther)
{
    int local = u.local == GR_COMBINE_LOCAL_CONSTANT ? IN_CONST : IN_ITER;
    int other = u.other == GR_COMBINE_OTHER_TEXTURE
                    ? IN_TEX
                    : (u.other == GR_COMBINE_OTHER_CONSTANT ? IN_CONST : IN_ITER);
    CombinePlan generic = {OP_GENERIC, 0, 0};
    if (u.invert)
        return generic;
    switch (u.function) {
    case GR_COMBINE_FUNCTION_ZERO: return {OP_ZERO, 0, 0};
    case GR_COMBINE_FUNCTION_LOCAL: return {OP_COPY, local, 0};
    case GR_COMBINE_FUNCTION_LOCAL_ALPHA: return {OP_COPY_ALPHA, alphaLocal, 0};
    case GR_COMBINE_FUNCTION_SCALE_OTHER:
        switch (u.factor) {
        case GR_COMBINE_FACTOR_ZERO: return {OP_ZERO, 0, 0};
        case GR_COMBINE_FACTOR_ONE: return {OP_COPY, other, 0};
        case GR_COMBINE_FACTOR_LOCAL: return {OP_MUL, other, local};
        case GR_COMBINE_FACTOR_TEXTURE_RGB: return {OP_MUL, other, IN_TEX};
        case GR_COMBINE_FACTOR_OTHER_ALPHA: return {OP_MUL_ALPHA, other, alphaOther};
        case GR_COMBINE_FACTOR_LOCAL_ALPHA: return {OP_MUL_ALPHA, other, alphaLocal};
        case GR_COMBINE_FACTOR_TEXTURE_ALPHA: return {OP_MUL_ALPHA, other, IN_TEX};
        default: return generic;
        }
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL:
        // other * 255 / 255 is other exactly: a sum, cut at 255.
        if (u.factor == GR_COMBINE_FACTOR_ONE)
            return {OP_ADD, other, local};
        return generic;
    default: return generic;
    }
}

CombinePlan planAlphaUnit(const CombineUnit& u)
{
    int local = u.local == GR_COMBINE_LOCAL_CONSTANT
                    ? IN_CONST
                    : (u.local == GR_COMBINE_LOCAL_DEPTH ? IN_DEPTH_ALPHA : IN_ITER);
    int other = u.other == GR_COMBINE_OTHER_TEXTURE
                    ? IN_TEX
                    : (u.other == GR_COMBINE_OTHER_CONSTANT ? IN_CONST : IN_ITER);
    CombinePlan generic = {OP_GENERIC, 0, 0};
    if (u.invert)
        return generic;
    switch (u.function) {
    case GR_COMBINE_FUNCTION_ZERO: return {OP_ZERO, 0, 0};
    case GR_COMBINE_FUNCTION_LOCAL:
    case GR_COMBINE_FUNCTION_LOCAL_ALPHA: return {OP_COPY, local, 0};
    case GR_COMBINE_FUNCTION_SCALE_OTHER:
        switch (u.factor) {
        case GR_COMBINE_FACTOR_ZERO: return {OP_ZERO, 0, 0};
        case GR_COMBINE_FACTOR_ONE: return {OP_COPY, other, 0};
        case GR_COMBINE_FACTOR_LOCAL:
        case GR_COMBINE_FACTOR_LOCAL_ALPHA: return {OP_MUL, other, local};
        case GR_COMBINE_FACTOR_OTHER_ALPHA: return {OP_MUL, other, other};
        case GR_COMBINE_FACTOR_TEXTURE_ALPHA:
        case GR_COMBINE_FACTOR_TEXTURE_RGB: return {OP_MUL, other, IN_TEX};
        default: return generic;
        }
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL:
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA:
        if (u.factor == GR_COMBINE_FACTOR_ONE)
            return {OP_ADD, other, local};
        return generic;
    default: return generic;
    }
}

CombinePlan planTmuUnit(GrCombineFunction_t function, GrCombineFactor_t factor, FxBool invert,
                        bool alpha)
{
    CombinePlan generic = {OP_GENERIC, 0, 0};
    if (invert)
        return generic;
    switch (function) {
    case GR_COMBINE_FUNCTION_ZERO: return {OP_ZERO, 0, 0};
    case GR_COMBINE_FUNCTION_LOCAL: return {OP_COPY, IN_TEXEL, 0};
    case GR_COMBINE_FUNCTION_LOCAL_ALPHA: return {alpha ? OP_COPY : OP_COPY_ALPHA, IN_TEXEL, 0};
    case GR_COMBINE_FUNCTION_SCALE_OTHER:
        switch (factor) {
        case GR_COMBINE_FACTOR_ZERO: return {OP_ZERO, 0, 0};
        case GR_COMBINE_FACTOR_ONE: return {OP_COPY, IN_UPSTREAM, 0};
        case GR_COMBINE_FACTOR_LOCAL: return {OP_MUL, IN_UPSTREAM, IN_TEXEL};
        case GR_COMBINE_FACTOR_LOCAL_ALPHA:
            return {alpha ? OP_MUL : OP_MUL_ALPHA, IN_UPSTREAM, IN_TEXEL};
        default: return generic;
        }
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL:
        if (factor == GR_COMBINE_FACTOR_ONE)
            return {OP_ADD, IN_UPSTREAM, IN_TEXEL};
        return generic;
    default: return generic;
    }
}

// Unit t's decoded texture and what follows from it.
void unitTexture(Pipeline& p, int t)
{
    const TmuState& u = gs.tmu[t];
    const TextureData* data = p.tmuSampled[t] ? texCacheLookup(t) : nullptr;
    const DecodedTexture* tex = data ? &data->decoded : nullptr;
    p.texture[t] = tex;
    p.levelTable[t] = data ? &data->table : nullptr;
    bool mipmap = u.mipmapMode != GR_MIPMAP_DISABLE && tex && tex->levelCount > 1;
    p.tmuMipmap[t] = mipmap;
    p.tmuDither[t] = u.mipmapMode == GR_MIPMAP_NEAREST_DITHER && gs.allowMipmapDither;
    // A combine that reads the level of detail gets it with or without a
    // texture.
    p.tmuLod[t] = (tex && (mipmap || u.minFilter != u.magFilter)) || p.tmuCombineLod[t];
    int32_t bias = (int32_t)std::lround(u.lodBias * 4.0f) * 64;
    p.tmuLodOffset[t] = ((tex ? tex->largeLod : 8) - 8) * 256 + bias;
}

// The fields grTexSource, grTexMultibase and grTexMultibaseAddress set: the
// first of a unit's, up to its filters.
static_assert(offsetof(TmuState, sourceValid) == 0 &&
                  offsetof(TmuState, multibaseAddress) + sizeof(TmuState::multibaseAddress) <=
                      offsetof(TmuState, minFilter),
              "a unit's source comes first");
void sourceCopy(TmuState& to, const TmuState& from)
{
    to.sourceValid = from.sourceValid;
    to.sourceAddress = from.sourceAddress;
    to.sourceEvenOdd = from.sourceEvenOdd;
    to.smallLod = from.smallLod;
    to.largeLod = from.largeLod;
    to.aspect = from.aspect;
    to.format = from.format;
    to.multibase = from.multibase;
    memcpy(to.multibaseAddress, from.multibaseAddress, sizeof to.multibaseAddress);
}

// Whether two states differ in nothing but the texture sources.
bool onlySourcesDiffer(const GlideState& a, const GlideState& b)
{
    GlideState c;
    memcpy((void*)&c, (const void*)&b, sizeof c);
    for (int t = 0; t < MAX_TMU; t++)
        sourceCopy(c.tmu[t], a.tmu[t]);
    return memcmp((const void*)&a, (const void*)&c, sizeof c) == 0;
}

// The blocks of the path (as the threads are sent it) that hold unit t's
// source, or what unitTexture() sets.
uint32_t unitBlocks(const Pipeline& p, int t, bool texture)
{
    if (!texture)
        return queuePathBlocks(&p.st.tmu[t], offsetof(TmuState, minFilter));
    return queuePathBlocks(&p.texture[t], sizeof p.texture[t]) |
           queuePathBlocks(&p.levelTable[t], sizeof p.levelTable[t]) |
           queuePathBlocks(&p.tmuMipmap[t], sizeof p.tmuMipmap[t]) |
           queuePathBlocks(&p.tmuDither[t], sizeof p.tmuDither[t]) |
           queuePathBlocks(&p.tmuLod[t], sizeof p.tmuLod[t]) |
           queuePathBlocks(&p.tmuLodOffset[t], sizeof p.tmuLodOffset[t]);
}

// Nothing but grTexSource was called since the path was chosen (a landscape
// gives every piece of ground its own light map): the units named look up
// their decoded textures again and the rest of the path stands, without
// comparing the whole state. True when that was all.
bool sourcesOnly(Pipeline& p)
{
    if (dev.stateChanged || !p.valid || p.cacheGeneration != texCacheGeneration ||
        p.color != renderTarget() || p.aux != dev.auxBuffer)
        return false;
    // The rasterizer threads are sent just the fields that change here.
    static const uint32_t generationBlocks =
        queuePathBlocks(&p.cacheGeneration, sizeof p.cacheGeneration);
    static const uint32_t sourceBlocks[MAX_TMU] = {unitBlocks(p, 0, false),
                                                   unitBlocks(p, 1, false)};
    static const uint32_t textureBlocks[MAX_TMU] = {unitBlocks(p, 0, true),
                                                    unitBlocks(p, 1, true)};
    uint32_t blocks = generationBlocks;
    for (int t = 0; t < MAX_TMU; t++) {
        if (!(dev.sourcesChanged & (1u << t)))
            continue;
        sourceCopy(p.st.tmu[t], gs.tmu[t]);
        blocks |= sourceBlocks[t];
        if (p.tmuSampled[t]) {
            unitTexture(p, t);
            blocks |= textureBlocks[t];
        }
    }
    // A new decoded copy may have dropped others, never one the path samples.
    p.cacheGeneration = texCacheGeneration;
    queuePathChangedBlocks(blocks);
    return true;
}

// What the state asks of the path, read by every planning step below.
struct Needs {
    unsigned inputs;   // bit per Input value: what the frame-buffer units (and the chroma key) read
    int fogBase;       // the fog mode without its flags
    bool chroma, depthOn, wDepth, blendOn;
};

// Programs set the same state again and again (a texture source or a colour
// per polygon): when nothing the path depends on changed, it stays; when
// only textures changed, only they are looked up again. True when the path
// stands.
bool pathKept(Pipeline& p)
{
    if (!p.valid || p.color != renderTarget() || p.aux != dev.auxBuffer)
        return false;
    bool same = memcmp((const void*)&p.st, (const void*)&gs, sizeof gs) == 0;
    if (same && p.cacheGeneration == texCacheGeneration)
        return true;
    if (!same && !onlySourcesDiffer(p.st, gs))
        return false;
    for (int t = 0; t < MAX_TMU; t++)
        if (p.tmuSampled[t])
            unitTexture(p, t);
    memcpy((void*)&p.st, (const void*)&gs, sizeof gs);
    p.cacheGeneration = texCacheGeneration;
    queuePathChanged();
    return true;
}

// The frame-buffer combine units: their inputs, how each is evaluated, and
// what they read.
void planCombine(Pipeline& p, Needs& needs)
{
    const CombineUnit& cc = gs.colorCombine;
    const CombineUnit& ac = gs.alphaCombine;
    p.colorLocal = cc.local == GR_COMBINE_LOCAL_CONSTANT ? IN_CONST : IN_ITER;
    p.colorOther = colorOtherInput(cc.other);
    p.alphaLocal = ac.local == GR_COMBINE_LOCAL_CONSTANT
                       ? IN_CONST
                       : (ac.local == GR_COMBINE_LOCAL_DEPTH ? IN_DEPTH_ALPHA : IN_ITER);
    p.alphaOther = colorOtherInput(ac.other);
    p.colorPlan = planColorUnit(cc, p.alphaLocal, p.alphaOther);
    p.alphaPlan = planAlphaUnit(ac);

    unsigned rgbUses =
        unitInputs(cc.function, cc.factor, p.colorLocal, p.colorOther, p.alphaLocal, p.alphaOther);
    unsigned alphaUses =
        unitInputs(ac.function, ac.factor, p.alphaLocal, p.alphaOther, p.alphaLocal, p.alphaOther);
    if (needs.chroma)
        rgbUses |= 1u << p.colorOther;
    needs.inputs = rgbUses | alphaUses;
}

// Which interpolants the stages read.
void planInterpolants(Pipeline& p, const Needs& needs)
{
    p.fogActive = needs.fogBase != GR_FOG_DISABLE;
    p.needIterColor = (needs.inputs & (1u << IN_ITER)) != 0;
    p.needIterAlpha = p.needIterColor || needs.fogBase == GR_FOG_WITH_ITERATED_ALPHA_EXT;
    p.needQ = (needs.depthOn && needs.wDepth) || needs.fogBase == GR_FOG_WITH_TABLE_ON_Q;
    p.needZ = (needs.depthOn && !needs.wDepth) || needs.fogBase == GR_FOG_WITH_ITERATED_Z ||
              (needs.inputs & (1u << IN_DEPTH_ALPHA));
    p.needFogCoord = needs.fogBase == GR_FOG_WITH_TABLE_ON_FOGCOORD_EXT;
}

// The texture units that take part, from the frame buffer's end of the chain
// up, their combines and their textures.
void planTextures(Pipeline& p, const Needs& needs)
{
    p.tmuSampled[0] = p.tmuSampled[1] = false;
    p.texture[0] = p.texture[1] = nullptr;
    p.levelTable[0] = p.levelTable[1] = nullptr;
    p.tmuUpstream = -1;
    bool unitActive[MAX_TMU] = {(needs.inputs & (1u << IN_TEX)) != 0, false};
    for (int t = 0; t < MAX_TMU; t++) {
        if (!unitActive[t])
            continue;
        const TmuState& u = gs.tmu[t];
        bool local, upstream, lod;
        tmuInputs(u, &local, &upstream, &lod);
        p.tmuRgbPlan[t] = planTmuUnit(u.rgbFunction, u.rgbFactor, u.rgbInvert, false);
        p.tmuAlphaPlan[t] = planTmuUnit(u.alphaFunction, u.alphaFactor, u.alphaInvert, true);
        bool generic = p.tmuRgbPlan[t].op == OP_GENERIC || p.tmuAlphaPlan[t].op == OP_GENERIC;
        p.tmuSampled[t] = local || lod || generic || u.texChroma;
        if (upstream && t + 1 < dev.config.numTmu) {
            unitActive[t + 1] = true;
            if (t == 0)
                p.tmuUpstream = 1;
        }
        p.tmuCombineLod[t] = lod && generic;
        unitTexture(p, t);
    }
}

// The constants, the depth test, blending and what is written.
void planOutput(Pipeline& p, Needs& needs)
{
    uint32_t constant = colorToArgb(gs.constantColor, dev.colorFormat);
    for (int i = 0; i < SPAN_MAX; i++)
        p.constArray[i] = constant;
    p.fogColor = colorToArgb(gs.fogColor, dev.colorFormat);
    p.chromaRange = gs.chromaRange;
    p.chromaKey =
        colorToArgb(p.chromaRange ? gs.chromaRangeMin : gs.chromakeyValue, dev.colorFormat) &
        0x00FFFFFFu;
    if (p.chromaRange)
        p.chromaMax = colorToArgb(gs.chromaRangeMax, dev.colorFormat) & 0x00FFFFFFu;
    for (int t = 0; t < MAX_TMU; t++) {
        p.texChroma[t] = p.tmuSampled[t] && gs.tmu[t].texChroma;
        if (p.texChroma[t]) {
            p.texChromaMin[t] = colorToArgb(gs.tmu[t].texChromaMin, dev.colorFormat) & 0x00FFFFFFu;
            p.texChromaMax[t] = colorToArgb(gs.tmu[t].texChromaMax, dev.colorFormat) & 0x00FFFFFFu;
        }
    }

    // The depth test's outcomes that pass, and the bias as a depth value.
    p.depthBias = gs.depthBias;
    int f = gs.depthFunction;
    p.depthPassLess =
        f == GR_CMP_LESS || f == GR_CMP_LEQUAL || f == GR_CMP_NOTEQUAL || f == GR_CMP_ALWAYS;
    p.depthPassEqual =
        f == GR_CMP_EQUAL || f == GR_CMP_LEQUAL || f == GR_CMP_GEQUAL || f == GR_CMP_ALWAYS;
    p.depthPassGreater =
        f == GR_CMP_GREATER || f == GR_CMP_GEQUAL || f == GR_CMP_NOTEQUAL || f == GR_CMP_ALWAYS;
    // The *_COMPARE_TO_BIAS modes test the bias level itself.
    p.depthToBias = gs.depthMode == GR_DEPTHBUFFER_ZBUFFER_COMPARE_TO_BIAS ||
                    gs.depthMode == GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS;
    p.depthBiasValue =
        (uint16_t)(p.depthBias < 0 ? 0 : (p.depthBias > 0xFFFF ? 0xFFFF : p.depthBias));

    needs.blendOn = !(gs.blendRgbSrc == GR_BLEND_ONE && gs.blendRgbDst == GR_BLEND_ZERO);
    p.alphaBuffer = dev.auxBuffer && gs.depthMode == GR_DEPTHBUFFER_DISABLE;
    p.writeRgb = gs.colorMaskRgb;
    p.writeDepth = needs.depthOn && gs.depthMask;
    p.writeAlpha = p.alphaBuffer && gs.colorMaskAlpha;
    if (p.writeAlpha && !(gs.blendAlphaSrc == GR_BLEND_ONE && gs.blendAlphaDst == GR_BLEND_ZERO))
        needs.blendOn = true;
    p.blendReadsPrefog = needs.blendOn && (gs.blendRgbDst == GR_BLEND_PREFOG_COLOR ||
                                           gs.blendAlphaDst == GR_BLEND_PREFOG_COLOR);
    p.ditherMode = gs.ditherMode;
}

// The stages, in the order of the hardware, of the widest lanes the
// processor has.
void planStages(Pipeline& p, const Needs& needs)
{
    const StageTable& S = dev.config.avx2 ? avx2::stageTable : sse2::stageTable;
    p.stageCount = 0;
    p.planeStages = 0;
    auto add = [&p](Stage stage) { p.stages[p.stageCount++] = stage; };
    auto addFromPlanes = [&p](Stage stage) {
        p.planeStages |= 1u << p.stageCount;
        p.stages[p.stageCount++] = stage;
    };
    if (p.needIterColor || p.needIterAlpha)
        addFromPlanes(S.iterColor);
    if (p.needQ)
        addFromPlanes(S.iterQ);
    if (needs.inputs & (1u << IN_DEPTH_ALPHA))
        add(S.depthAlpha);
    if (p.tmuUpstream >= 0)
        add(S.texture1);
    if (needs.inputs & (1u << IN_TEX))
        add(S.texture0);
    if (needs.chroma)
        add(S.chromaKey);
    add(S.combine);
    if (gs.alphaTestFunction != GR_CMP_ALWAYS)
        add(S.alphaTest);
    if (needs.depthOn) {
        addFromPlanes(needs.wDepth ? S.depthW : S.depthZ);
        if (gs.depthFunction != GR_CMP_ALWAYS)
            add(S.depthTest);
    }
    if (p.fogActive) {
        switch (needs.fogBase) {
        case GR_FOG_WITH_TABLE_ON_FOGCOORD_EXT: add(S.fogCoord); break;
        case GR_FOG_WITH_TABLE_ON_Q: add(S.fogW); break;
        case GR_FOG_WITH_ITERATED_Z: add(S.fogZ); break;
        default: add(S.fogAlpha); break;
        }
        add(S.fog);
    }
    if (needs.blendOn)
        add(S.blend);
    add(S.write);
}

}   // namespace

void validatePipeline(void)
{
    Pipeline& p = pixelPath;
    if (sourcesOnly(p) || pathKept(p)) {
        dev.stale = dev.stateChanged = false;
        dev.sourcesChanged = 0;
        return;
    }
    Needs needs = {};
    needs.fogBase = gs.fogMode & 0xFF;
    needs.chroma = gs.chromakeyMode == GR_CHROMAKEY_ENABLE || gs.chromaRange;
    needs.depthOn = gs.depthMode != GR_DEPTHBUFFER_DISABLE && dev.auxBuffer;
    needs.wDepth = gs.depthMode == GR_DEPTHBUFFER_WBUFFER ||
                   gs.depthMode == GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS;
    planCombine(p, needs);
    planInterpolants(p, needs);
    planTextures(p, needs);
    planOutput(p, needs);
    planStages(p, needs);

    p.color = renderTarget();
    p.aux = dev.auxBuffer;
    p.width = dev.width;
    p.st = gs;
    p.valid = true;
    p.cacheGeneration = texCacheGeneration;
    dev.stale = dev.stateChanged = false;
    dev.sourcesChanged = 0;
    queuePathChanged();
}

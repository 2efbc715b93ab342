// Depth test against the aux buffer. Writing the new depth waits for the
// write stage, so only pixels that pass every test change the buffer.
#include "pixel.h"

template <typename Compare> static inline void depthTest(Span* s, uint32_t biasValue, bool toBias, Compare pass)
{
    const uint16_t* stored = s->aux;
    for (int i = 0; i < s->n; i++) {
        uint32_t value = toBias ? biasValue : s->depth[i];
        if (!pass(value, (uint32_t)stored[i]))
            s->live[i] = 0;
    }
}

void stageDepthTest(Span* s)
{
    const Pipeline& P = *s->path;
    // The *_COMPARE_TO_BIAS modes test the bias level itself.
    bool toBias = P.st.depthMode == GR_DEPTHBUFFER_ZBUFFER_COMPARE_TO_BIAS ||
                  P.st.depthMode == GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS;
    int32_t b = P.depthBias;
    uint32_t bias = (uint32_t)(b < 0 ? 0 : (b > 0xFFFF ? 0xFFFF : b));
    switch (P.st.depthFunction) {
    case GR_CMP_NEVER:
        for (int i = 0; i < s->n; i++)
            s->live[i] = 0;
        break;
    case GR_CMP_LESS: depthTest(s, bias, toBias, [](uint32_t a, uint32_t b) { return a < b; }); break;
    case GR_CMP_EQUAL: depthTest(s, bias, toBias, [](uint32_t a, uint32_t b) { return a == b; }); break;
    case GR_CMP_LEQUAL: depthTest(s, bias, toBias, [](uint32_t a, uint32_t b) { return a <= b; }); break;
    case GR_CMP_GREATER: depthTest(s, bias, toBias, [](uint32_t a, uint32_t b) { return a > b; }); break;
    case GR_CMP_NOTEQUAL: depthTest(s, bias, toBias, [](uint32_t a, uint32_t b) { return a != b; }); break;
    case GR_CMP_GEQUAL: depthTest(s, bias, toBias, [](uint32_t a, uint32_t b) { return a >= b; }); break;
    default: break; // ALWAYS
    }
}

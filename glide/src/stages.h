// The pixel stages of one lane width, by file. Included only by the stage
// sources, after lanes.h, which compile once per width (lanes.h).
#ifndef OBX_GLIDE_STAGES_H
#define OBX_GLIDE_STAGES_H

#include "lanes.h"

namespace LANES {

// interpolate.cpp
void stageIterColor(Span* s);
void stageIterQ(Span* s);
void stageDepthAlpha(Span* s);
// depth.cpp
void stageDepthW(Span* s);
void stageDepthZ(Span* s);
void stageDepthTest(Span* s);
// fog.cpp
void stageFogW(Span* s);
void stageFogZ(Span* s);
void stageFogAlpha(Span* s);
void stageFogCoord(Span* s);
void stageFog(Span* s);
// texture.cpp
void stageTexture1(Span* s);
void stageTexture0(Span* s);
// combine.cpp
void stageChromaKey(Span* s);
void stageCombine(Span* s);
void stageAlphaTest(Span* s);
// Discards the pixels whose texels of unit t lie within its texture chroma range.
void texChromaKey(Span* s, int t, const uint32_t* texels);
// Runs one texture unit's combine: local = its texels, other = upstream.
void combineTmu(Span* s, int tmu, const uint32_t* local, const uint32_t* other, uint32_t* out);
// blend.cpp
void stageBlend(Span* s);
// write.cpp
void stageWrite(Span* s);

}   // namespace LANES

#endif

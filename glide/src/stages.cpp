// The table of this lane width's stages.
#include "stages.h"

namespace LANES {

extern const StageTable stageTable = {
    stageIterColor, stageIterQ,     stageDepthW,   stageDepthZ,    stageDepthAlpha, stageTexture1,
    stageTexture0,  stageChromaKey, stageCombine,  stageAlphaTest, stageDepthTest,  stageFogW,
    stageFogZ,      stageFogAlpha,  stageFogCoord, stageFog,       stageBlend,      stageWrite,
};

}   // namespace LANES

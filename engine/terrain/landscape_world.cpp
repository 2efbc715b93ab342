// The world's landscape: adding and removing it, and the height query.
#include <stddef.h>

#include "terrain/terrain.h"

TerrainState terrain;

void landscapeWorldInit(void)
{
    terrain.landscape = NULL;
    terrain.landscapeRoot = NULL;
}

void obxLandscapeAddToWorld(Landscape* landscape)
{
    terrain.landscape = landscape;
    terrain.landscapeRoot = landscape ? landscape->root : NULL;
}

void obxLandscapeRemoveFromWorld(void)
{
    // The landscape stays current and keeps its light maps; only drawing stops.
    terrain.landscapeRoot = NULL;
}

float obxLandscapeGetHeightXZ(Landscape* landscape, float x, float z)
{
    if (!landscape || !landscape->heights)
        return -1.0f;
    int n = landscape->sampleCount;
    float u = landscape->sizeX / 2.0f + x;
    float v = landscape->sizeZ / 2.0f - z;
    // The cell of the query divides the extent by the sample count. The
    // quotients are tested before truncation: truncating toward zero would
    // take points up to a cell before the first row or column as inside, and
    // a NaN or huge quotient has no integer.
    float col = u / (landscape->sizeX / (float)n);
    float row = v / (landscape->sizeZ / (float)n);
    if (!(col >= 0.0f && col < (float)n && row >= 0.0f && row < (float)n))
        return -1.0f;
    return landscape->heights[(int)row * n + (int)col];
}

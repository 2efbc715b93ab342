// The test program's tank, built from rings, bands and caps.
#ifndef OBX_TOOLS_TANK_H
#define OBX_TOOLS_TANK_H

#include "model3ds.h"

// Z up, the gun along +y, the tracks on either side of x = 0. Every closed
// piece has its triangles wound counter-clockwise seen from outside, so
// (b - a) x (c - a) points out; the antenna and its pennant are open and use
// two-sided materials. Texture coordinates stay within 0..1.
Scene3ds tankScene();

#endif

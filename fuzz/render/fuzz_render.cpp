// fuzz-render: one object of arbitrary triangles per input, rendered through
// the whole object pass on the headless software device.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/core.h"
#include "fuzz_engine.h"
#include "fuzz_input.h"
#include "object/object.h"
#include "render/render.h"
#include "texture/texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzEngineStart(nullptr);
    Reader in = {data, size};
    int shape = in.byte() % 3;
    uint8_t shading = in.byte();
    uint8_t flags = in.byte();
    int16_t wx = in.half(), wy = in.half(), ww = in.half(), wh = in.half();
    float scale = in.real();
    Vector position = {in.real(), in.real(), in.real()};
    TextureRecord* white = textureFind("white.3df");

    Object* object = obxObjectInitDefaultState();
    int triangles = 0;
    while (in.left(36) && triangles < 8) {
        int base = object->vertexCount;
        for (int k = 0; k < 3; k++) {
            float x = in.real(), y = in.real(), z = in.real();
            obxObjectAddVertex(object, x, y, z);
        }
        int sided = (flags >> (triangles % 4)) & 1;
        obxObjectAddPolygon(object, base, base + 1, base + 2, sided, (flags & 0x10) ? NULL : white,
                            0, 0, 1, 0, 0, 1);
        triangles++;
    }
    objectCentre(object);
    objectRadius(object);
    faceNormals(object);
    faceNormalsNormalise(object);
    vertexNormals(object);
    if (flags & 0x20)
        obxObjectScale(object, scale);   // leaves the radius stale
    obxObjectMove(object, position.x, position.y, position.z);
    obxObjectSetShape(object, shape);
    obxObjectSetShadingType(object, shading & 3);
    if (flags & 0x40)
        obxObjectMakeEnviromentMapped(object, white, (float)(shading >> 2) * 4.0f);
    obxObjectAdd(object);
    if (flags & 0x80)
        obxRenderWindowSet(wx, wy, ww, wh);
    else
        obxRenderWindowSet(0, 0, 640, 480);
    obxWorldRender(0);
    obxObjectDelete(object);
    return 0;
}

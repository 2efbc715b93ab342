// fuzz-overlay: per input, a few lights with lens flares, perhaps a sky box,
// a camera and a drawing area, one rendered frame, then text, a bitmap and
// the string grid drawn over it, all from the input's bytes.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/core.h"
#include "fuzz_engine.h"
#include "fuzz_input.h"
#include "light/light.h"
#include "object/object.h"
#include "overlay/overlay.h"
#include "terrain/terrain.h"
#include "texture/texture.h"
#include "view/view.h"

namespace {

CharacterSet* font;
TextureRecord* white;

bool setup(void)
{
    white = textureFind("white.3df");
    const float black[3] = {0, 0, 0};
    font = obxCharactersetLoad("font/ch", 0, 1, 200.0f, 1, black, 12, 12, 16);
    return true;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzEngineStart(setup);
    Reader in = {data, size};
    uint8_t flags = in.byte();

    // Lights with flares of up to four elements each.
    LightSource* lights[3] = {};
    int lightCount = in.byte() % 4;
    for (int l = 0; l < lightCount; l++) {
        int count = in.byte() % 5;
        TextureRecord* textures[4];
        float sizes[4], positions[4];
        for (int e = 0; e < count; e++) {
            textures[e] = white;
            sizes[e] = in.real();
            positions[e] = in.real();
        }
        LensFlare* flare = obxLensflareCreate(count, textures, sizes, positions);
        float x = in.real(), y = in.real(), z = in.real();
        lights[l] = obxLightsourceAdd(1, 1, 1, x, y, z, 0, flare, NULL);
    }
    Object* sky = NULL;
    if (flags & 1) {
        obxSkyboxAdd(in.real(), white, white, NULL, white, white, white);
        sky = terrain.skybox;
    }
    obxCameraMove(in.real(), in.real(), in.real());
    obxCameraRotate(in.real(), in.real(), in.real());
    if (flags & 2)
        obxRenderWindowSet(in.half(), in.half(), in.half(), in.half());
    else
        obxRenderWindowSet(0, 0, 640, 480);
    obxWorldRender(0);

    // 2D over the frame.
    obxSetRenderState(0);
    obxSetDefaultCharacterset((flags & 4) ? font : NULL);
    if (flags & 8)
        obxCharactersetSetDefaultDrawingMode(font);
    else
        obxCharactersetSetSpecialDrawingMode(font, in.byte() % 3, in.real(), in.byte() % 3, NULL,
                                             in.real(), in.real(), in.real());
    float colour[3] = {in.real(), in.real(), in.real()};
    Bitmap* bitmap = obxBitmapCreate((flags & 16) ? white : NULL, in.byte() % 3, in.real(),
                                     in.byte() % 2, colour);
    obxBitmapDrawXY(bitmap, in.real(), in.real(), in.real(), in.real());
    obxStrSetGridDimensions(in.word(), in.word());
    obxStrSetColor(in.real(), in.real(), in.real());
    obxStrSetOpacity(in.byte());
    int column = in.word(), row = in.word();
    float x = in.real(), y = in.real();
    char text[64];
    size_t length = in.at < size ? size - in.at : 0;
    length = length < sizeof text - 1 ? length : sizeof text - 1;
    memcpy(text, data + (in.at < size ? in.at : size), length);
    text[length] = 0;
    obxStringDrawXY(text, x, y);
    obxStrDrawGrid(column, row, (flags & 32) ? NULL : text);
    obxSetRenderState(1);
    obxStrDefaultProperties();

    for (int l = 0; l < lightCount; l++)
        obxLightsourceDelete(lights[l]);
    if (sky) {
        obxSkyboxDisable();
        obxObjectDelete(sky);
    }
    return 0;
}

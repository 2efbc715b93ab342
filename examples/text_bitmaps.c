/* Text, bitmaps and the string grid over a turning model: a character set
 * drawn opaque and translucent, a translucent panel and a chroma-keyed name
 * plate as bitmaps, and the grid console in colours given 0..255. All 2D
 * positions are in the virtual 640 x 480 screen, whatever the resolution. */
#include <stdio.h>

#include "example.h"

int main(int argc, char** argv)
{
    if (!exampleStart(argc, argv, "text-bitmaps",
                      "Character-set text, bitmaps and the string grid over the tank.", 600))
        return 1;
    const float black[3] = {0.0f, 0.0f, 0.0f};
    /* font/chA.3df for 'A' and so on; black texels left out, 13 virtual
     * pixels to the next character, each 17 x 20. */
    CharacterSet* font = obxCharactersetLoad("font/ch", OBX_CHARSET_OWN_MODE, OBX_DRAW_OPAQUE,
                                             255.0f, OBX_CHROMAKEY_ON, black, 13.0f, 17.0f, 20.0f);
    TextureRecord* panelTexture = obxTextureLoad("panel.3df", OBX_TMU0);
    TextureRecord* logoTexture = obxTextureLoad("logo.3df", OBX_TMU0);
    Object* tank = obxObjectLoad("tank.3ds", 0, 100.0f, OBX_LOAD_TEXTURED);
    if (!font || !panelTexture || !logoTexture || !tank)
        return 1;
    Bitmap* panel =
        obxBitmapCreate(panelTexture, OBX_DRAW_TRANSLUCENT, 150.0f, OBX_CHROMAKEY_OFF, NULL);
    Bitmap* logo = obxBitmapCreate(logoTexture, OBX_DRAW_OPAQUE, 255.0f, OBX_CHROMAKEY_ON, black);
    if (!panel || !logo)
        return 1;
    obxSetDefaultCharacterset(font);

    obxObjectRotate(tank, 90.0f, 0.0f, 0.0f);
    obxObjectMove(tank, 30.0f, -10.0f, 230.0f);
    obxObjectAdd(tank);
    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(1.0f, 1.0f, 0.9f, -500.0f, 800.0f, -300.0f, 0.0f, NULL, extra);
    obxAmbientlightLight(0.2f, 0.2f, 0.25f);
    const float sky[3] = {0.35f, 0.45f, 0.6f};
    obxBackgroundSetColor(sky);

    while (exampleFrame()) {
        int f = exampleFrameNumber();
        obxObjectRotate(tank, 0.0f, 1.0f, 0.0f);
        obxBackgroundClear();
        obxWorldRender(OBX_RENDER_ONLY);
        obxSetRenderState(OBX_RENDERSTATE_2D);
        /* The name plate is 4:1 in a square texture: stretched back. */
        obxBitmapDrawXY(logo, 20.0f, 20.0f, 256.0f, 64.0f);
        obxBitmapDrawXY(panel, 20.0f, 330.0f, 330.0f, 120.0f);
        char line[64];
        snprintf(line, sizeof line, "Frame %d", f);
        obxCharactersetSetSpecialDrawingMode(font, OBX_DRAW_OPAQUE, 255.0f, OBX_CHROMAKEY_ON, black,
                                             13.0f, 17.0f, 20.0f);
        obxStringDrawXY(line, 36.0f, 345.0f);
        obxStringDrawXY("Opaque text", 36.0f, 375.0f);
        obxCharactersetSetSpecialDrawingMode(font, OBX_DRAW_TRANSLUCENT, 150.0f, OBX_CHROMAKEY_ON,
                                             black, 13.0f, 17.0f, 20.0f);
        obxStringDrawXY("Translucent text", 36.0f, 405.0f);
        /* The grid: colours 0..255, not 0..1. */
        obxStrSetColor(255.0f, 220.0f, 60.0f);
        obxStrDrawGrid(24, 2, "The string grid");
        obxStrSetColor(120.0f, 255.0f, 160.0f);
        obxStrSetOpacity(160);
        obxStrDrawGrid(24, 3, "at 40 x 30 cells");
        obxStrSetGridDimensions(64, 48); /* cells of 10 x 10 pixels */
        obxStrSetColor(255.0f, 255.0f, 255.0f);
        obxStrSetOpacity(255);
        obxStrDrawGrid(38, 8, "and at 64 x 48 cells");
        obxStrDefaultProperties();
        obxSetRenderState(OBX_RENDERSTATE_3D);
        obxWorldDisplay();
    }
    return exampleEnd();
}

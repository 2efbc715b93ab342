/* A plain C program written against glide.h alone: opens 640x480 headless,
 * downloads an RGB565 texture and draws textured, Gouraud, fogged and blended
 * triangles, then checks the pixels the Glide equations give. */
#include <glide.h>
#include <stdio.h>
#include <string.h>

typedef struct {
    float x, y, q;
    float r, g, b, a;
    float s, t;
} Vertex;

static int failures = 0;

static unsigned short readPixel(int x, int y)
{
    unsigned short p = 0;
    if (!grLfbReadRegion(GR_BUFFER_BACKBUFFER, (FxU32)x, (FxU32)y, 1, 1, 2, &p)) {
        printf("read of %d,%d failed\n", x, y);
        failures++;
    }
    return p;
}

static void expectPixel(const char* what, int x, int y, unsigned short want)
{
    unsigned short got = readPixel(x, y);
    if (got != want) {
        printf("%s: pixel %d,%d is %04x, want %04x\n", what, x, y, got, want);
        failures++;
    }
}

static unsigned short rgb(int r, int g, int b)
{
    return (unsigned short)(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

static Vertex vertex(float x, float y, float r, float g, float b, float a, float s, float t)
{
    Vertex v;
    v.x = x;
    v.y = y;
    v.q = 1.0f;
    v.r = r;
    v.g = g;
    v.b = b;
    v.a = a;
    v.s = s;
    v.t = t;
    return v;
}

static void quad(float x0, float y0, float x1, float y1, Vertex v)
{
    Vertex a = v, b = v, c = v, d = v;
    a.x = x0;
    a.y = y0;
    a.s = 0;
    a.t = 0;
    b.x = x1;
    b.y = y0;
    b.s = 256;
    b.t = 0;
    c.x = x1;
    c.y = y1;
    c.s = 256;
    c.t = 256;
    d.x = x0;
    d.y = y1;
    d.s = 0;
    d.t = 256;
    grDrawTriangle(&a, &b, &c);
    grDrawTriangle(&a, &c, &d);
}

int main(int argc, char** argv)
{
    if (argc > 1) {
        int help = argc == 2 && strcmp(argv[1], "--help") == 0;
        fputs("usage: glide-c-check\nA C program over the device's Glide headers draws one "
              "textured, fogged frame.\n",
              help ? stdout : stderr);
        return help ? 0 : 2;
    }
    GrContext_t context;
    FxI32 boards = 0;
    static unsigned short texels[8 * 8];
    GrTexInfo info;
    GrFog_t fog[64];
    int i;

    grGet(GR_NUM_BOARDS, 4, &boards);
    if (boards < 1) {
        printf("no board\n");
        return 1;
    }
    grGlideInit();
    grSstSelect(0);
    context = grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB,
                           GR_ORIGIN_UPPER_LEFT, 2, 1);
    if (!context) {
        printf("grSstWinOpen failed\n");
        return 1;
    }
    grVertexLayout(GR_PARAM_XY, 0, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_Q, 8, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_RGB, 12, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_A, 24, GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST0, 28, GR_PARAM_ENABLE);
    grBufferClear(0x00000000, 0, 0);

    /* An 8x8 RGB565 texture: left half red, right half blue. */
    for (i = 0; i < 64; i++)
        texels[i] = (i % 8) < 4 ? 0xF800 : 0x001F;
    info.smallLodLog2 = GR_LOD_LOG2_8;
    info.largeLodLog2 = GR_LOD_LOG2_8;
    info.aspectRatioLog2 = GR_ASPECT_LOG2_1x1;
    info.format = GR_TEXFMT_RGB_565;
    info.data = texels;
    grTexDownloadMipMap(GR_TMU0, grTexMinAddress(GR_TMU0), GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, grTexMinAddress(GR_TMU0), GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_POINT_SAMPLED);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);

    /* Textured, modulated by a half-grey vertex colour: 255 * 128 / 255 = 128. */
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    quad(0, 0, 64, 64, vertex(0, 0, 128, 128, 128, 255, 0, 0));
    expectPixel("textured left", 10, 30, rgb(128, 0, 0));
    expectPixel("textured right", 50, 30, rgb(0, 0, 128));

    /* Gouraud: red from 0 at x = 100 to 200 at x = 300 along the top. */
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    {
        Vertex a = vertex(100, 100, 0, 0, 0, 255, 0, 0);
        Vertex b = vertex(300, 100, 200, 0, 0, 255, 0, 0);
        Vertex c = vertex(100, 300, 0, 0, 0, 255, 0, 0);
        grDrawTriangle(&a, &b, &c);
        /* centre of pixel 149 is x = 149.5: red = 49.5, rounded to 50 */
        expectPixel("gouraud", 149, 100, rgb(50, 0, 0));
    }

    /* Fog: a table that is 0 up to w = 1 and full beyond; q = 1 / 1000 is
     * far enough to take entry 39 (w 819) and 40 (w 1024). */
    for (i = 0; i < 64; i++)
        fog[i] = (GrFog_t)(i < 40 ? 0 : 255);
    grFogTable(fog);
    grFogColorValue(0x0000FF00);
    grFogMode(GR_FOG_WITH_TABLE_ON_Q);
    {
        Vertex a = vertex(400, 100, 255, 0, 0, 255, 0, 0);
        Vertex b = vertex(500, 100, 255, 0, 0, 255, 0, 0);
        Vertex c = vertex(400, 200, 255, 0, 0, 255, 0, 0);
        a.q = b.q = c.q = 1.0f / 2048.0f; /* beyond entry 40: fully fogged */
        grDrawTriangle(&a, &b, &c);
        expectPixel("fogged", 420, 120, rgb(0, 255, 0));
        a.q = b.q = c.q = 1.0f; /* w = 1: entry 0, no fog */
        a.x += 120;
        b.x += 120;
        c.x += 120;
        grDrawTriangle(&a, &b, &c);
        expectPixel("not fogged", 540, 120, rgb(255, 0, 0));
    }
    grFogMode(GR_FOG_DISABLE);

    /* Blending: white at alpha 64 over the red square of the textured quad. */
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);
    {
        Vertex a = vertex(0, 0, 255, 255, 255, 64, 0, 0);
        Vertex b = vertex(32, 0, 255, 255, 255, 64, 0, 0);
        Vertex c = vertex(0, 32, 255, 255, 255, 64, 0, 0);
        grDrawTriangle(&a, &b, &c);
        /* destination 128 red (565: 0x80 -> 132 after widening), 0 green/blue:
         * red   (255 * 64 + 132 * 191) / 255 = 162.9 -> 163
         * green (255 * 64 +   0 * 191) / 255 = 64 */
        expectPixel("blended", 5, 5, rgb(163, 64, 64));
    }

    grBufferSwap(0);
    grSstWinClose(context);
    grGlideShutdown();
    if (failures) {
        printf("%d failures\n", failures);
        return 1;
    }
    printf("all pixels as expected\n");
    return 0;
}

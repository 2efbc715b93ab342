// glide-demo: a spinning, textured, fogged and blended scene drawn straight
// through Glide on the software device.
//
//   glide-demo              in a window until Escape or close
//   glide-demo --headless   renders a few frames, writes them as PNG files
//                           (OBX_GLIDE_DUMP, or glide-demo-NN.png) and names them
#include <glide.h>
#include <glideutl.h>

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Vertex {
    float x, y, q;
    float r, g, b, a;
    float s, t;
};

const int WIDTH = 640, HEIGHT = 480;
const float FOCAL = 400.0f;
const int HEADLESS_FRAMES = 4;

struct Point3 {
    float x, y, z;
};

// Camera-space point to a screen vertex; texture coordinates in 0..1.
Vertex project(Point3 p, float s, float t, float shade, float alpha)
{
    Vertex v;
    float q = 1.0f / p.z;
    v.x = WIDTH * 0.5f + p.x * FOCAL * q;
    v.y = HEIGHT * 0.5f - p.y * FOCAL * q;
    v.q = q;
    v.r = v.g = v.b = shade;
    v.a = alpha;
    v.s = s * 256.0f * q;
    v.t = t * 256.0f * q;
    return v;
}

// A 64 x 64 checker with a soft ring, and every mipmap level below it, as
// RGB 565.
std::vector<FxU16> makeTexture()
{
    std::vector<FxU16> texels;
    for (int size = 64; size >= 1; size /= 2) {
        int cell = size / 8 > 0 ? size / 8 : 1;
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++) {
                bool dark = ((x / cell) + (y / cell)) % 2 == 0;
                float dx = (x + 0.5f) / size - 0.5f, dy = (y + 0.5f) / size - 0.5f;
                float ring = std::fabs(std::sqrt(dx * dx + dy * dy) - 0.3f) < 0.06f ? 1.0f : 0.0f;
                int r = dark ? 40 : 230, g = dark ? 90 : 200, b = dark ? 160 : 120;
                if (size < 8)   // the small levels average out
                    r = 135, g = 145, b = 140;
                r = (int)(r * (1.0f - ring) + 250 * ring);
                g = (int)(g * (1.0f - ring) + 120 * ring);
                b = (int)(b * (1.0f - ring) + 30 * ring);
                texels.push_back((FxU16)(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)));
            }
    }
    return texels;
}

void drawQuad(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d)
{
    const void* list[4] = {&a, &b, &c, &d};
    grDrawVertexArray(GR_TRIANGLE_FAN, 4, (void*)list);
}

void drawFloor()
{
    // Strips of tiles from near to far, each tile one texture repeat.
    for (int row = 0; row < 24; row++) {
        float z0 = 3.0f + row * 4.0f, z1 = z0 + 4.0f;
        for (int col = -6; col < 6; col++) {
            float x0 = col * 4.0f, x1 = x0 + 4.0f;
            Vertex a = project({x0, -2.0f, z0}, 0, 0, 255, 255);
            Vertex b = project({x1, -2.0f, z0}, 1, 0, 255, 255);
            Vertex c = project({x1, -2.0f, z1}, 1, 1, 255, 255);
            Vertex d = project({x0, -2.0f, z1}, 0, 1, 255, 255);
            drawQuad(a, b, c, d);
        }
    }
}

void drawCube(float angle)
{
    static const Point3 corners[8] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                      {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    static const int faces[6][4] = {{0, 1, 2, 3}, {5, 4, 7, 6}, {4, 0, 3, 7},
                                    {1, 5, 6, 2}, {3, 2, 6, 7}, {4, 5, 1, 0}};
    float ca = std::cos(angle), sa = std::sin(angle), cb = std::cos(angle * 0.7f),
          sb = std::sin(angle * 0.7f);
    Point3 p[8];
    for (int i = 0; i < 8; i++) {
        Point3 c = corners[i];
        float x = c.x * ca + c.z * sa, z = -c.x * sa + c.z * ca;
        float y = c.y * cb - z * sb;
        z = c.y * sb + z * cb;
        p[i] = {x * 1.4f, y * 1.4f + 0.2f, z * 1.4f + 7.0f};
    }
    for (const auto& f : faces) {
        Point3 a = p[f[0]], b = p[f[1]], c = p[f[2]];
        // Lambert shade from the face normal against a light up and left.
        float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
        float vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
        float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
        float len = std::sqrt(nx * nx + ny * ny + nz * nz);
        float light = (-0.4f * nx + 0.7f * ny - 0.6f * nz) / (len * 1.0f);
        float shade = 70.0f + 185.0f * (light > 0 ? light : 0);
        Vertex v0 = project(p[f[0]], 0, 0, shade, 255), v1 = project(p[f[1]], 1, 0, shade, 255);
        Vertex v2 = project(p[f[2]], 1, 1, shade, 255), v3 = project(p[f[3]], 0, 1, shade, 255);
        drawQuad(v0, v1, v2, v3);
    }
}

void drawPane(float angle)
{
    // A translucent amber pane swinging in front of the cube.
    float s = std::sin(angle * 1.3f) * 2.5f;
    Vertex a = project({s - 1.5f, -1.2f, 4.5f}, 0, 0, 255, 110);
    Vertex b = project({s + 1.5f, -1.2f, 4.5f}, 0, 0, 255, 110);
    Vertex c = project({s + 1.5f, 1.8f, 4.5f}, 0, 0, 255, 110);
    Vertex d = project({s - 1.5f, 1.8f, 4.5f}, 0, 0, 255, 110);
    a.g = b.g = c.g = d.g = 170;
    a.b = b.b = c.b = d.b = 40;
    drawQuad(a, b, c, d);
}

void renderFrame(float angle)
{
    const GrColor_t sky = 0xFF8CA0B4;
    grDepthMask(FXTRUE);   // the clear only reaches the depth buffer while depth writes are on
    grBufferClear(sky, 0, 0xFFFF);

    // Textured, lit, depth-tested and fogged.
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
    grDepthMask(FXTRUE);
    grFogMode(GR_FOG_WITH_TABLE_ON_Q);
    drawFloor();
    drawCube(angle);

    // Untextured and blended over it.
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);
    grDepthMask(FXFALSE);
    drawPane(angle);
}

}   // namespace

int main(int argc, char** argv)
{
    bool headless = false;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--headless") == 0) {
            headless = true;
        } else if (strcmp(argv[i], "--help") == 0) {
            printf("usage: %s [--headless]\nThe software Glide device on its own, in a window or "
                   "headless.\n",
                   argv[0]);
            return 0;
        } else {
            fprintf(stderr, "usage: %s [--headless]\n", argv[0]);
            return 2;
        }
    }

    SDL_Window* window = nullptr;
    if (!headless) {
        if (SDL_Init(SDL_INIT_VIDEO) == 0)
            window = SDL_CreateWindow("Ombrix Glide demo", SDL_WINDOWPOS_CENTERED,
                                      SDL_WINDOWPOS_CENTERED, WIDTH, HEIGHT, SDL_WINDOW_RESIZABLE);
        if (!window) {
            fprintf(stderr, "glide-demo: no display (%s); rendering headless\n", SDL_GetError());
            headless = true;
        }
    }
    const char* pattern = getenv("OBX_GLIDE_DUMP");
    if (headless) {
        setenv("OBX_GLIDE_DISPLAY", "headless", 0);
        if (!pattern || !*pattern) {
            setenv("OBX_GLIDE_DUMP", "glide-demo-%02d.png", 1);
            pattern = getenv("OBX_GLIDE_DUMP");
        }
    }

    FxI32 boards = 0;
    grGet(GR_NUM_BOARDS, 4, &boards);
    if (boards < 1) {
        fprintf(stderr, "glide-demo: no Glide board\n");
        return 1;
    }
    grGlideInit();
    grSstSelect(0);
    GrContext_t context =
        grSstWinOpen(window ? SDL_GetWindowID(window) : 0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz,
                     GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2, 1);
    if (!context) {
        fprintf(stderr, "glide-demo: cannot open the Glide window\n");
        return 1;
    }

    grCoordinateSpace(GR_WINDOW_COORDS);
    grVertexLayout(GR_PARAM_XY, offsetof(Vertex, x), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_Q, offsetof(Vertex, q), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_RGB, offsetof(Vertex, r), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_A, offsetof(Vertex, a), GR_PARAM_ENABLE);
    grVertexLayout(GR_PARAM_ST0, offsetof(Vertex, s), GR_PARAM_ENABLE);

    std::vector<FxU16> texels = makeTexture();
    GrTexInfo info = {GR_LOD_LOG2_1, GR_LOD_LOG2_64, GR_ASPECT_LOG2_1x1, GR_TEXFMT_RGB_565,
                      texels.data()};
    FxU32 address = grTexMinAddress(GR_TMU0);
    grTexDownloadMipMap(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexSource(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &info);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);

    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthBufferFunction(GR_CMP_LESS);

    FxI32 fogEntries = 0;
    grGet(GR_FOG_TABLE_ENTRIES, 4, &fogEntries);
    std::vector<GrFog_t> fog((size_t)fogEntries);
    guFogGenerateLinear(fog.data(), 20.0f, 90.0f);
    grFogTable(fog.data());
    grFogColorValue(0x008CA0B4);

    float angle = 0.0f;
    if (headless) {
        for (int frame = 0; frame < HEADLESS_FRAMES; frame++) {
            renderFrame(angle);
            grBufferSwap(0);
            char name[512];
            snprintf(name, sizeof name, pattern, frame);
            printf("%s\n", name);
            angle += 0.35f;
        }
    } else {
        bool running = true;
        Uint32 start = SDL_GetTicks();
        while (running) {
            SDL_Event event;
            while (SDL_PollEvent(&event)) {
                if (event.type == SDL_QUIT ||
                    (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE))
                    running = false;
            }
            angle = (float)(SDL_GetTicks() - start) * 0.001f;
            renderFrame(angle);
            grBufferSwap(1);
        }
    }

    grSstWinClose(context);
    grGlideShutdown();
    if (window) {
        SDL_DestroyWindow(window);
        SDL_Quit();
    }
    return 0;
}

/*
 * Ombrix: the public interface of the engine library (libOmbrixDll.so).
 *
 * Every exported function and every record an application sees. Records are
 * created and owned by the engine; the application keeps pointers to them as
 * handles and never frees them. Compiles as C and as C++.
 */
#ifndef OMBRIX_H
#define OMBRIX_H

#include <stdint.h>

#if defined(_WIN32)
#include <windows.h>
#define OBXAPI __cdecl
#else
/* The application's top-level window. On Linux: the id of an SDL window of the
 * process (SDL_GetWindowID) cast to this type, or null for a window of the
 * device's own. */
typedef struct HWND__* HWND;
#define OBXAPI
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Math: vectors, matrices and the vertex handed to Glide ---------------- */

typedef struct Vector { float x, y, z; } Vector;
typedef Vector Ver;

/* Row-major, row vectors: p' = p * M, translation in row 3. */
typedef struct Matrix { float m[4][4]; } Matrix;

/* The vertex handed to Glide (48 bytes): x, y at 0, w at 8, spare at 12, q at 16,
 * r, g, b at 20, s0, t0 at 32, s1, t1 at 40. */
typedef struct DrawVer {
    float x, y, w, spare;
    float q;
    float r, g, b;
    float s0, t0, s1, t1;
} DrawVer;

/* ---- Textures ------------------------------------------------------------- */

/* Layout-compatible with Glide's GrTexInfo. */
typedef struct ObxTexInfo {
    int32_t smallLodLog2;
    int32_t largeLodLog2;
    int32_t aspectRatioLog2;
    int32_t format;
    void* data;
} ObxTexInfo;

typedef struct TextureRecord {
    struct TextureRecord* next;
    ObxTexInfo info;
    uint8_t resident;
    uint8_t usedRecently;
    int32_t useCount;
    int32_t size;
    int32_t slotSize;
    uint32_t address;
    uint8_t tmu;
    uint8_t needsDownload;
    char* name;
} TextureRecord;

/* ---- Objects -------------------------------------------------------------- */

struct Polygon {
    float emissive[3];
    float diffuse[3];
    float litColour[3];
    int32_t* indices;
    uint32_t clipCodes;
    TextureRecord* texture;
    int32_t kind;          /* 1 textured, 2 untextured */
    float* texCoords;      /* s0, t0, s1, t1, s2, t2 in 0..1 */
    int32_t outside;
    int32_t backFacing;
    int32_t needsClip;
    int32_t doubleSided;
    int32_t vertexCount;   /* always 3 */
    Vector normal;
    float extent;
};
/* Windows' GDI declares a function Polygon: a program that includes both
 * names the record struct Polygon (the engine itself is built without GDI). */
#if !defined(_WINGDI_)
typedef struct Polygon Polygon;
#endif

typedef struct VertexRecord {
    float x, y, w, spare;
    float q;
    float r, g, b;
    float s0, t0, s1, t1;
    int32_t polygonUseCount;
    int32_t* polygonUse;
    int32_t lit;
} VertexRecord;

typedef struct Object {
    struct Object* prev;
    struct Object* next;
    struct Polygon* polygons;
    Vector* vertices;
    Vector* worldVertices;
    VertexRecord* vertexRecords;
    float (*envCoords)[2];
    float (*vertexNormals)[4];
    float (*dynLight)[3];
    Vector position;
    int32_t culled;
    float radius;
    int32_t polygonCount;
    int32_t vertexCount;
    int32_t shadingType;   /* 1 Gouraud, 3 flat */
    int32_t whollyInside;
    int32_t translucent;
    uint32_t translucency;
    int32_t envMapped;
    TextureRecord* envTexture;
    float envAlpha;
    int32_t shape;         /* 5 fan (solid), 1 line strip (outline), 0 points */
} Object;

/* ---- Camera --------------------------------------------------------------- */

typedef struct Camera {
    float position[3];
    float rotation[3];     /* pitch about x, heading about y, roll about z */
    int32_t stepsLeft;
    float stepMove[3];
    float stepTurn[3];
    float syncPoint[3];
    int32_t syncEnabled;
} Camera;

/* ---- Lights --------------------------------------------------------------- */

typedef struct FlareElement {
    TextureRecord* texture;
    float axisPosition;    /* 1 at the light, 0 at the centre of the drawing area */
    float halfSize;        /* pixels */
} FlareElement;

typedef struct LensFlare {
    int32_t elementCount;
    FlareElement* elements;
} LensFlare;

typedef struct LightSource {
    struct LightSource* next;
    struct LightSource* prev;
    Vector position;
    float colour[3];
    float attenuation;
    LensFlare* lensFlare;
    uint32_t extra[3];
} LightSource;

typedef struct DynamicLight {
    float radius;
    float invRadius;
    Vector position;
    float colour[3];
    uint8_t active;
    uint8_t changed;
    struct DynamicLight* next;
    uint8_t moved;
} DynamicLight;

/* ---- 2D overlay ----------------------------------------------------------- */

typedef struct Glyph {
    TextureRecord* texture;
    int32_t present;
} Glyph;

typedef struct CharDrawParams {
    float advance;
    float glyphWidth;
    float glyphHeight;
    float opacity;         /* 0..255 */
    int32_t mode;          /* 0 opaque, 1 translucent */
    int32_t chromaKey;
    float chromaColour[3];
    int32_t useDefaultMode;
} CharDrawParams;

typedef struct CharacterSet {
    Glyph glyphs[256];
    CharDrawParams params;
} CharacterSet;

typedef struct Bitmap {
    TextureRecord* texture;
    int32_t mode;
    float opacity;
    int32_t chromaKey;
    float chromaColour[3];
} Bitmap;

/* ---- Terrain -------------------------------------------------------------- */

typedef struct LandscapeVertex {
    float x, y, z, q;
    float s0, t0, s1, t1;
} LandscapeVertex;

typedef struct LandscapeLightMap {
    uint8_t staticLight[64];
    uint8_t dynamicLight[64];
    uint8_t lightTmu;
    uint32_t lightTexAddress;
    uint8_t showsStatic;
    uint8_t litThisFrame;
    float lightHeights[64];
    int32_t dynamicLightCount;
    TextureRecord* lightTexture;
} LandscapeLightMap;

typedef struct LandscapePatch {
    struct LandscapePatch** children;
    uint8_t childCount;    /* 4 inner, 0 leaf */
    float center[3];
    float radius;
    Vector corners[4];
    LandscapeVertex viewCorners[4];
    TextureRecord* texture;
    LandscapeVertex clipA[8];
    LandscapeVertex clipB[8];
    uint8_t culled;
    uint8_t clipped;
    int8_t clipCountA;
    int8_t clipCountB;
    LandscapeLightMap lightMap;
    float normalA[3];
    float normalB[3];
    uint8_t drawnOnce;
} LandscapePatch;

typedef struct Landscape {
    float sizeX;
    float sizeZ;
    int32_t sampleCount;
    float* heights;
    LandscapePatch** visibleLeaves;
    int32_t visibleCount;
    LandscapePatch* root;
} Landscape;

/* ---- Particles ------------------------------------------------------------ */

typedef struct Particle {
    Vector position;
    Vector drift;
    float size;
    float colour[3];
    float colourStep[3];
    int32_t life;
    Vector velocity;
    struct Particle* prev;
    struct Particle* next;
} Particle;

typedef struct ParticleEmitter {
    Vector position;
    float startColour[3];
    float endColour[3];
    TextureRecord* texture;
    int32_t capacity;
    int32_t liveCount;
    Particle* liveHead;
    Particle* freeHead;
    Vector velocity;
    float damping;
    float particleSize;
    float spread;
    struct ParticleEmitter* next;
    struct ParticleEmitter* prev;
} ParticleEmitter;

typedef struct SmokePuff {
    Vector position;
    Vector rise;
    float size;
    float opacity;
    float fadeStep;
    int32_t life;
    Vector drift;
    struct SmokePuff* prev;
    struct SmokePuff* next;
} SmokePuff;

typedef struct SmokeEmitter {
    Vector position;
    float spawnRadius;
    int32_t puffLife;
    int32_t puffsPerFrame;
    TextureRecord* texture;
    int32_t capacity;
    int32_t liveCount;
    SmokePuff* liveHead;
    SmokePuff* freeHead;
    Vector velocity;
    float damping;
    float puffSize;
    float riseSpeed;
    struct SmokeEmitter* next;
    struct SmokeEmitter* prev;
} SmokeEmitter;

/* ---- Display information -------------------------------------------------- */

typedef struct DriverInfo {
    const char* description;
    const char* textFileName;
    int32_t kind;
    int32_t versionMajor;
    int32_t versionMinor;
} DriverInfo;

typedef struct PerformanceCounters {
    uint32_t polygonsDrawn;
    uint32_t framesRendered;
} PerformanceCounters;

/* ======================================================================== */
/* Start-up, focus, version and shutdown                                    */
/* ======================================================================== */

int OBXAPI obxInitialize(HWND window, int resolutionIndex);
void OBXAPI obxGetVersion(int* versionMajor, int* versionMinor);
void OBXAPI obxLooseFocus(void);
void OBXAPI obxSetFocus(void);
void OBXAPI obxShutdown(void);
uint32_t OBXAPI obxNumBytesAllocated(void);

/* Display settings, fog, counters */
void OBXAPI obxResolutionGet(float* width, float* height);
void OBXAPI obxRenderWindowSet(int x, int y, int width, int height);
void OBXAPI obxDriverGetInfo(DriverInfo* info);
void OBXAPI obxVSyncEnable(void);
void OBXAPI obxVSyncDisable(void);
void OBXAPI obxStartFrameCount(void);
uint32_t OBXAPI obxGetFrameCount(void);
void OBXAPI obxPerformanceInit(void);
PerformanceCounters* OBXAPI obxPerformanceGet(void);
void OBXAPI obxFogSetMode(int mode);
void OBXAPI obxFogSetColor(const float* rgb);
void OBXAPI obxFarClippingPlaneSet(float distance);

/* Math */
double OBXAPI DegToRad(float degrees);
void OBXAPI CrossProduct3d(float* out, const float* a, const float* b);
double OBXAPI VectorLenght(const float* v);
void OBXAPI MatXVer(const Matrix* m, const Ver* in, Ver* out);
void OBXAPI MatXVerToDrawVer(const Matrix* m, const Ver* in, DrawVer* out);
void OBXAPI MatXDrawVerToDrawVer(const Matrix* m, const DrawVer* in, DrawVer* out);

/* Textures */
TextureRecord* OBXAPI obxTextureLoad(const char* fileName, char useSecondTmu);
TextureRecord* OBXAPI obxTextureLoadToMemory(const char* fileName);

/* Objects: building */
Object* OBXAPI obxObjectInitDefaultState(void);
void OBXAPI obxObjectAddVertex(Object* object, float x, float y, float z);
void OBXAPI obxObjectAddPolygon(Object* object, int index0, int index1, int index2,
                                int doubleSided, TextureRecord* texture,
                                float s0, float t0, float s1, float t1, float s2, float t2);
void OBXAPI obxObjectPerformPrecalculations(Object* object, float radius);

/* Objects: loading from 3D Studio files and "FILE_3DS" resources */
Object* OBXAPI obxObjectLoad(const char* fileName, int reserved, float radius, int textured);
Object* OBXAPI obxObjectLoadFromExe(unsigned short resourceId, int reserved, float radius,
                                    int textured);

/* Objects: world membership, attributes and transforms */
Object* OBXAPI obxObjectAdd(Object* object);
void OBXAPI obxObjectDelete(Object* object);
void OBXAPI obxObjectSetShadingType(Object* object, int shadingType);
void OBXAPI obxObjectMakeTranslucent(Object* object, uint32_t translucency);
void OBXAPI obxObjectDisableTranslucency(Object* object);
void OBXAPI obxObjectMakeEnviromentMapped(Object* object, TextureRecord* texture, float alpha);
void OBXAPI obxObjectSetEnviromentAlpha(Object* object, float alpha);
void OBXAPI obxObjectSetShape(Object* object, int shape);
void OBXAPI obxObjectScale(Object* object, float factor);
void OBXAPI obxObjectRotate(Object* object, float angleX, float angleY, float angleZ);
void OBXAPI obxObjectMove(Object* object, float x, float y, float z);

/* Objects: collision */
int OBXAPI obxObjectDetectCollision(Object* a, Object* b);
int OBXAPI obxObjectDetectCollisionLandscape(Object* object, Landscape* landscape);

/* Camera */
Camera* OBXAPI obxCameraCreate(float x, float y, float z, float rotX, float rotY, float rotZ);
void OBXAPI obxCameraSetActive(Camera* camera);
void OBXAPI obxCameraMove(float x, float y, float z);
void OBXAPI obxCameraRotate(float rotX, float rotY, float rotZ);
void OBXAPI obxCameraMoveIncremental(int steps, const float* move, float turnX, float turnY,
                                     float turnZ);
void OBXAPI obxCameraEnableSyncToPoint(float x, float y, float z);
void OBXAPI obxCameraDisableSyncToPoint(void);

/* Frame rendering and background */
void OBXAPI obxWorldRender(int display);
void OBXAPI obxWorldDisplay(void);
void OBXAPI obxBackgroundSetColor(const float* rgb);
void OBXAPI obxBackgroundClear(void);

/* Light sources and ambient light */
LightSource* OBXAPI obxLightsourceAdd(float r, float g, float b, float x, float y, float z,
                                      float attenuation, LensFlare* lensFlare,
                                      const uint32_t* extra);
void OBXAPI obxLightsourceMove(LightSource* light, float x, float y, float z);
void OBXAPI obxLightsourceLight(LightSource* light, float r, float g, float b);
void OBXAPI obxLightsourceDelete(LightSource* light);
void OBXAPI obxAmbientlightLight(float r, float g, float b);

/* Dynamic lights */
DynamicLight* OBXAPI obxDynLightsourceAdd(float radius, float x, float y, float z, float r,
                                          float g, float b);
void OBXAPI obxDynLightsourceChangeRadius(DynamicLight* light, float radius);
void OBXAPI obxDynLightsourceChangeRGB(DynamicLight* light, float r, float g, float b);
void OBXAPI obxDynLightsourceChangeXYZ(DynamicLight* light, float x, float y, float z);
void OBXAPI obxDynLightsourceActivate(DynamicLight* light);
void OBXAPI obxDynLightsourceDisable(DynamicLight* light);

/* Lens flares */
LensFlare* OBXAPI obxLensflareCreate(int count, TextureRecord** textures, const float* halfSizes,
                                     const float* axisPositions);

/* Character sets and text */
CharacterSet* OBXAPI obxCharactersetLoad(const char* prefix, int useDefaultMode, int mode,
                                         float opacity, int chromaKey, const float* chromaColour,
                                         float advance, float glyphWidth, float glyphHeight);
void OBXAPI obxSetDefaultCharacterset(CharacterSet* set);
void OBXAPI obxCharactersetSetDefaultDrawingMode(CharacterSet* set);
void OBXAPI obxCharactersetSetSpecialDrawingMode(CharacterSet* set, int mode, float opacity,
                                                 int chromaKey, const float* chromaColour,
                                                 float advance, float glyphWidth,
                                                 float glyphHeight);
void OBXAPI obxStringDrawXY(const char* text, float x, float y);
void OBXAPI obxCharacterDraw(Glyph* glyph, float x, float y, float width, float height);
void OBXAPI obxSetRenderState(int state);

/* Bitmaps */
Bitmap* OBXAPI obxBitmapCreate(TextureRecord* texture, int mode, float opacity, int chromaKey,
                               const float* chromaColour);
void OBXAPI obxBitmapDrawXY(Bitmap* bitmap, float x, float y, float width, float height);

/* String grid */
void OBXAPI obxStrDefaultProperties(void);
void OBXAPI obxStrSetColor(float red, float green, float blue);
void OBXAPI obxStrSetOpacity(unsigned char opacity);
void OBXAPI obxStrSetTexture(TextureRecord* texture);
void OBXAPI obxStrSetGridDimensions(int columns, int rows);
void OBXAPI obxStrDrawGrid(int column, int row, const char* text);

/* Landscape and sky box */
Landscape* OBXAPI obxLandscapeLoadFromFile(const char* heightMapFile, unsigned reserved,
                                           TextureRecord* surfaceTexture, float sizeX, float sizeZ,
                                           float heightScale, const float* lightDirection,
                                           float lightIntensity);
float OBXAPI obxLandscapeGetHeightXZ(Landscape* landscape, float x, float z);
void OBXAPI obxLandscapeAddToWorld(Landscape* landscape);
void OBXAPI obxLandscapeRemoveFromWorld(void);
int OBXAPI obxSkyboxAdd(float halfSide, TextureRecord* t1, TextureRecord* t2, TextureRecord* t3,
                        TextureRecord* t4, TextureRecord* t5, TextureRecord* t6);
void OBXAPI obxSkyboxDisable(void);

/* Particle emitters */
ParticleEmitter* OBXAPI obxEmitterCreate(float x, float y, float z, int capacity,
                                         const float* startColour, const float* endColour,
                                         TextureRecord* texture, const float* velocity,
                                         float damping, float particleSize, float spread);
void OBXAPI obxEmitterAddToWorld(ParticleEmitter* emitter);
void OBXAPI obxEmitterRemoveFromWorld(ParticleEmitter* emitter);
void OBXAPI obxEmitterAddParticle(ParticleEmitter* emitter);
void OBXAPI obxEmitterAddParticles(ParticleEmitter* emitter, int count);
void OBXAPI obxEmitterChangeProperties(ParticleEmitter* emitter, float x, float y, float z,
                                       const float* velocity);

/* Smoke emitters */
SmokeEmitter* OBXAPI obxSmokeEmitterCreate(float x, float y, float z, int capacity,
                                           TextureRecord* texture, float spawnRadius,
                                           const float* velocity, float damping, float puffSize,
                                           float riseSpeed, int puffLife, int puffsPerFrame);
void OBXAPI obxSmokeEmitterAddToWorld(SmokeEmitter* emitter);
void OBXAPI obxSmokeEmitterRemoveFromWorld(SmokeEmitter* emitter);
void OBXAPI obxSmokeEmitterChangeProperties(SmokeEmitter* emitter, float x, float y, float z,
                                            const float* velocity);
void OBXAPI obxSmokeEmitterChangeOpacity(SmokeEmitter* emitter, int puffsPerFrame);

#ifdef __cplusplus
}
#endif

#endif /* OMBRIX_H */

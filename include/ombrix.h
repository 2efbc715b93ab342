/*
 * Ombrix: the public interface of the engine library (libOmbrixDll).
 *
 * Every exported function and every record an application sees. Records are
 * created and owned by the engine; the application keeps pointers to them as
 * handles and never frees them (only objects and light sources can be
 * deleted). The record layouts are shown for reading; change them only
 * through the calls. Compiles as C and as C++. The conventions of all calls
 * are listed before the first of them, below the records.
 */
#ifndef OMBRIX_H
#define OMBRIX_H

#include <stddef.h>
#include <stdint.h>

/* The version of the interface, as obxGetVersion reports it at run time. */
#define OMBRIX_VERSION_MAJOR  0
#define OMBRIX_VERSION_MINOR  37
#define OMBRIX_VERSION_STRING "0.37"

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

typedef struct Vector {
    float x, y, z;
} Vector;
typedef Vector Ver;

/* Row-major, row vectors: p' = p * M, translation in row 3. */
typedef struct Matrix {
    float m[4][4];
} Matrix;

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
    int32_t kind;     /* 1 textured, 2 untextured */
    float* texCoords; /* s0, t0, s1, t1, s2, t2 in 0..1 */
    int32_t outside;
    int32_t backFacing;
    int32_t needsClip;
    int32_t doubleSided;
    int32_t vertexCount; /* always 3 */
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
    int32_t shadingType; /* 1 Gouraud, 3 flat */
    int32_t whollyInside;
    int32_t translucent;
    uint32_t translucency;
    int32_t envMapped;
    TextureRecord* envTexture;
    float envAlpha;
    int32_t shape; /* 5 fan (solid), 1 line strip (outline), 0 points */
} Object;

/* ---- Camera --------------------------------------------------------------- */

typedef struct Camera {
    float position[3];
    float rotation[3]; /* pitch about x, heading about y, roll about z */
    int32_t stepsLeft;
    float stepMove[3];
    float stepTurn[3];
    float syncPoint[3];
    int32_t syncEnabled;
} Camera;

/* ---- Lights --------------------------------------------------------------- */

typedef struct FlareElement {
    TextureRecord* texture;
    float axisPosition; /* 1 at the light, 0 at the centre of the drawing area */
    float halfSize;     /* pixels */
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
    float opacity; /* 0..255 */
    int32_t mode;  /* 0 opaque, 1 translucent */
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
    uint8_t childCount; /* 4 inner, 0 leaf */
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
/* Named values                                                              */
/* ======================================================================== */

/* Screen resolutions of obxInitialize; any other value opens 640 x 480. */
enum {
    OBX_RESOLUTION_640X480 = 0,
    OBX_RESOLUTION_800X600 = 1,
    OBX_RESOLUTION_1024X768 = 2,
    OBX_RESOLUTION_1280X1024 = 3,
    OBX_RESOLUTION_1600X1200 = 4
};

/* obxWorldRender: only render into the back buffer, or also show it. */
enum { OBX_RENDER_ONLY = 0, OBX_RENDER_AND_DISPLAY = 1 };

/* obxSetRenderState: before 2D drawing, and after it. */
enum { OBX_RENDERSTATE_2D = 0, OBX_RENDERSTATE_3D = 1 };

/* obxFogSetMode. */
enum { OBX_FOG_OFF = 0, OBX_FOG_LINEAR = 1 };

/* Texture unit of obxTextureLoad (a one-unit board puts every texture on 0). */
enum { OBX_TMU0 = 0, OBX_TMU1 = 1 };

/* obxObjectSetShadingType (Object.shadingType). */
enum { OBX_SHADING_GOURAUD = 1, OBX_SHADING_FLAT = 3 };

/* obxObjectSetShape arguments. The record's Object.shape holds the Glide
 * primitive instead: 5 (GR_TRIANGLE_FAN), 1 (GR_LINE_STRIP), 0 (GR_POINTS). */
enum { OBX_SHAPE_SOLID = 0, OBX_SHAPE_OUTLINE = 1, OBX_SHAPE_POINTS = 2 };

/* obxObjectLoad / obxObjectLoadFromExe: with or without the materials and
 * their texture maps. */
enum { OBX_LOAD_UNTEXTURED = 0, OBX_LOAD_TEXTURED = 1 };

/* obxObjectAddPolygon: back faces culled, or drawn and lit from both sides. */
enum { OBX_ONE_SIDED = 0, OBX_DOUBLE_SIDED = 1 };

/* Polygon.kind. */
enum { OBX_POLYGON_TEXTURED = 1, OBX_POLYGON_UNTEXTURED = 2 };

/* Drawing mode of character sets and bitmaps: opaque, or with the opacity
 * (0..255) as alpha. */
enum { OBX_DRAW_OPAQUE = 0, OBX_DRAW_TRANSLUCENT = 1 };

/* Chroma key of character sets and bitmaps: texels of the key colour are
 * left out, or drawn like any other. */
enum { OBX_CHROMAKEY_OFF = 0, OBX_CHROMAKEY_ON = 1 };

/* obxCharactersetLoad: draw with the set's own parameters, or with the
 * engine's defaults (advance, size 20, opaque, black chroma key). */
enum { OBX_CHARSET_OWN_MODE = 0, OBX_CHARSET_DEFAULT_MODE = 1 };

/*
 * Conventions of every call below:
 * - Call everything from the thread that called obxInitialize, one call at
 *   a time; nothing is locked.
 * - Colours are 0..1 per channel (larger values brighten further and are
 *   clamped where they are drawn). Exceptions: obxStrSetColor takes 0..255,
 *   opacities are 0..255, and the fog and background colours are used in
 *   whole steps of 1/255.
 * - Angles are degrees, used at whole-degree resolution (truncated), valid
 *   0..360; others wrap into 0..359.
 * - The camera looks along +z, +x to the right and +y up (a left-handed
 *   space); world units are the application's own.
 * - A vector or colour passed by pointer is three consecutive floats and is
 *   copied unless a call says otherwise.
 * - Creating calls return a handle, or null on failure; calls that report
 *   success return 1 or 0; setters return nothing. No error text reaches
 *   the caller: the log "Ombrix.log", in the current directory, says what
 *   was loaded and why start-up failed.
 * - A null handle or null vector is harmless: a creating call then returns
 *   null, a query its failure value (0, or -1 for a height) and any other
 *   call does nothing, so a call on the result of a failed create is
 *   ignored. Where a call says what null means, it means that. Other
 *   arguments are not checked unless a call says so; deleting an object or
 *   light twice is the caller's error.
 * - Files (textures, models, height maps) are read from the paths given,
 *   relative to the current directory; the engine's own data files
 *   "white.3df", "Init.3df" and "DefaultCS.3df" always from the current
 *   directory (see ombrix_util.h for finding them).
 * - Between obxLooseFocus and obxSetFocus nothing that draws may be called.
 */

/* ======================================================================== */
/* Start-up, focus, version and shutdown                                    */
/* ======================================================================== */

/* Starts the engine: creates the log "Ombrix.log" in the current directory,
 * opens the Glide display at OBX_RESOLUTION_* (double-buffered with a W
 * depth buffer, 60 Hz, origin at the lower left), sets every default (fog
 * off, far plane 3000, vertical sync on, ambient light black, background
 * black, the default camera at the origin looking along +z), loads
 * "white.3df" and shows "Init.3df" over the whole screen. `window` is the
 * application's window (on Linux an SDL window id, see HWND above) or null.
 * Returns 1, or 0 when there is no Glide board (the log then says "No glide3
 * compatible hardware found!"), the mode cannot be opened or "white.3df" is
 * not in the current directory. A failed start leaves the engine half set up: give
 * up, do not call it again. Must come before every other call but
 * obxGetVersion, obxDriverGetInfo and the math functions. */
int OBXAPI obxInitialize(HWND window, int resolutionIndex);

/* Stores the interface version, 0 and 37 (OMBRIX_VERSION_MAJOR and _MINOR).
 * Needs no initialisation. */
void OBXAPI obxGetVersion(int* versionMajor, int* versionMinor);

/* Gives the screen up when the application is deactivated: saves the Glide
 * state and closes the Glide window. A second call does nothing. Nothing
 * that draws may be called until obxSetFocus. */
void OBXAPI obxLooseFocus(void);

/* Takes the screen back after obxLooseFocus: reopens the window, restores
 * the state and marks every texture to be sent to the board again when it
 * is next used. Does nothing without an earlier obxLooseFocus. */
void OBXAPI obxSetFocus(void);

/* Closes the Glide window, shuts Glide down and closes the log. Frees no
 * engine record. */
void OBXAPI obxShutdown(void);

/* Bytes the engine has requested for its records since obxInitialize: a
 * running total that deleting never lowers. */
uint32_t OBXAPI obxNumBytesAllocated(void);

/* ---- Display settings, fog, counters -------------------------------------- */

/* Stores the screen's width and height in pixels (640 and 480 for
 * resolution 0). */
void OBXAPI obxResolutionGet(float* width, float* height);

/* Maps the 3D image into a rectangle of the screen, in pixels from the
 * lower-left corner (Glide's origin): x, y its lower-left corner. The 2D
 * overlay still uses the whole screen. obxInitialize sets the whole screen;
 * nothing is checked. */
void OBXAPI obxRenderWindowSet(int x, int y, int width, int height);

/* Fills `info`: "Ombrix Glide3 Driver version 0.40", "OmbrixG3.txt", kind 1,
 * version 0.40. The strings stay valid for the life of the process. Needs no
 * initialisation. */
void OBXAPI obxDriverGetInfo(DriverInfo* info);

/* Buffer swaps wait for the vertical retrace (the default), or do not. */
void OBXAPI obxVSyncEnable(void);
void OBXAPI obxVSyncDisable(void);

/* The frame counter: obxWorldRender adds 1 per frame; obxStartFrameCount
 * sets it to 0. */
void OBXAPI obxStartFrameCount(void);
uint32_t OBXAPI obxGetFrameCount(void);

/* The performance counters (polygons sent to Glide, frames rendered): set
 * to 0 by obxPerformanceInit; obxPerformanceGet returns the engine's live
 * record, which the caller reads and never frees. */
void OBXAPI obxPerformanceInit(void);
PerformanceCounters* OBXAPI obxPerformanceGet(void);

/* OBX_FOG_OFF or OBX_FOG_LINEAR: linear table fog from the near distance
 * (2) to the far plane as it is now (obxFarClippingPlaneSet does not move
 * it later). Other values are stored and change nothing. 2D drawing,
 * particles and smoke are drawn without fog. */
void OBXAPI obxFogSetMode(int mode);

/* The fog colour, red, green, blue 0..1 (packed into 8 bits a channel). */
void OBXAPI obxFogSetColor(const float* rgb);

/* The far clipping plane (3000 after obxInitialize): anything farther is
 * not drawn. */
void OBXAPI obxFarClippingPlaneSet(float distance);

/* ======================================================================== */
/* Math (no initialisation needed; row vectors, see Matrix)                 */
/* ======================================================================== */

/* Degrees to radians, in single precision. */
double OBXAPI DegToRad(float degrees);

/* out = a x b; out must not alias a or b. */
void OBXAPI CrossProduct3d(float* out, const float* a, const float* b);

/* The length of a three-float vector through the engine's table square
 * root: seven significant bits, (3, 4, 0) gives exactly 5. Needs the tables
 * filled by obxInitialize. */
double OBXAPI VectorLenght(const float* v);

/* out = in * m (translation included). out must not alias in. The DrawVer
 * forms read and write x, y and w as the point and leave the other fields. */
void OBXAPI MatXVer(const Matrix* m, const Ver* in, Ver* out);
void OBXAPI MatXVerToDrawVer(const Matrix* m, const Ver* in, DrawVer* out);
void OBXAPI MatXDrawVerToDrawVer(const Matrix* m, const DrawVer* in, DrawVer* out);

/* ======================================================================== */
/* Textures                                                                 */
/* ======================================================================== */

/* Loads a 3DF texture file (make one with obx-texconv) on texture unit
 * OBX_TMU0 or OBX_TMU1 (unit 0 on a one-unit board). Loading the same name
 * again returns the same handle (names are compared byte for byte).
 * Returns null when the file cannot be read, is not a valid 3DF file or is
 * larger than the board holds (256 x 256, at most 8:1). A texture that finds
 * no room in texture memory still loads: it takes the place of one unused in
 * the last frame when it is first drawn, and while no place is large enough
 * it is drawn as no texture. Textures live until the process ends. */
TextureRecord* OBXAPI obxTextureLoad(const char* fileName, char useSecondTmu);

/* Reads a 3DF file into host memory only, every call anew (for height maps
 * and the application's own use; it is not meant to be drawn). Null when
 * the file cannot be read. */
TextureRecord* OBXAPI obxTextureLoadToMemory(const char* fileName);

/* ======================================================================== */
/* Objects                                                                  */
/* ======================================================================== */

/* Building by hand, in this order: obxObjectInitDefaultState; every
 * obxObjectAddVertex; the obxObjectAddPolygon calls (their indices name
 * vertices already added, counted from 0); obxObjectPerformPrecalculations
 * once; then the attribute calls below and obxObjectAdd. */

/* A new empty object: at the origin, solid, Gouraud-shaded, out of the
 * world. Null when it cannot be allocated. */
Object* OBXAPI obxObjectInitDefaultState(void);

/* Appends a vertex in the object's own coordinates. */
void OBXAPI obxObjectAddVertex(Object* object, float x, float y, float z);

/* Appends a triangle of three vertex indices. Its front is the side from
 * which index0, index1, index2 run clockwise on the screen; OBX_DOUBLE_SIDED
 * draws and lights it from both sides. `texture` null makes an untextured,
 * white polygon; s and t are 0..1 across the texture, one pair per
 * corner. */
void OBXAPI obxObjectAddPolygon(Object* object, int index0, int index1, int index2, int doubleSided,
                                TextureRecord* texture, float s0, float t0, float s1, float t1,
                                float s2, float t2);

/* Centres the vertices on their bounding box, scales them so that the
 * bounding sphere has the given radius (0 collapses them), and computes the
 * face and vertex normals. Run it again after changing the vertices. */
void OBXAPI obxObjectPerformPrecalculations(Object* object, float radius);

/* Loads a 3D Studio (.3ds) file as one object, every mesh merged, centred
 * and flat-shaded, out of the world. `reserved` must be 0. `radius` 0 keeps
 * the file's size, any other value scales the object to that bounding
 * radius. With OBX_LOAD_TEXTURED the materials' colours, two-sidedness and
 * texture maps apply; a map "WOOD.GIF" is read from "WOOD.3df" (relative to
 * the current directory); a missing map leaves its faces untextured. The
 * file is kept in 3D Studio's axes (z up): turn it by 90 degrees about x to
 * stand it up. Returns null when the file cannot be read or is not a valid
 * 3DS file (damaged files are refused whole). */
Object* OBXAPI obxObjectLoad(const char* fileName, int reserved, float radius, int textured);

/* As obxObjectLoad, from the "FILE_3DS" resource `resourceId` of the running
 * program (CMake: ombrix_add_resource(target FILE_3DS id file.3ds)). Null
 * when the program has no such resource. Writes no log line. */
Object* OBXAPI obxObjectLoadFromExe(unsigned short resourceId, int reserved, float radius,
                                    int textured);

/* Appends the object to the world, drawn from the next frame on; returns
 * it. An object must not be added twice. */
Object* OBXAPI obxObjectAdd(Object* object);

/* Takes the object out of the world and frees it and all it owns (not its
 * textures). The handle is invalid afterwards. */
void OBXAPI obxObjectDelete(Object* object);

/* OBX_SHADING_GOURAUD (lights per vertex, smooth) or OBX_SHADING_FLAT (one
 * light value per polygon). Other values are stored and leave the object
 * unlit. */
void OBXAPI obxObjectSetShadingType(Object* object, int shadingType);

/* Hides the object from drawing (the value is stored only), and shows it
 * again. */
void OBXAPI obxObjectMakeTranslucent(Object* object, uint32_t translucency);
void OBXAPI obxObjectDisableTranslucency(Object* object);

/* Draws a second, environment-mapped layer of `texture` over every polygon,
 * its opacity `alpha` 0..255. There is no call to switch it off again. */
void OBXAPI obxObjectMakeEnviromentMapped(Object* object, TextureRecord* texture, float alpha);
void OBXAPI obxObjectSetEnviromentAlpha(Object* object, float alpha);

/* OBX_SHAPE_SOLID (back faces culled), OBX_SHAPE_OUTLINE (each triangle's
 * closed outline) or OBX_SHAPE_POINTS (its corners); outlines and points
 * show back faces too. Other values change nothing. */
void OBXAPI obxObjectSetShape(Object* object, int shape);

/* Multiplies the vertices by `factor`. The bounding radius (culling and
 * collision) stays until obxObjectPerformPrecalculations runs again. */
void OBXAPI obxObjectScale(Object* object, float factor);

/* Turns the vertices about the object's own origin, adding to every earlier
 * turn: by angleY first, then angleZ, then angleX (with two angles: x before
 * y, x before z, y before z), degrees 0..360. */
void OBXAPI obxObjectRotate(Object* object, float angleX, float angleY, float angleZ);

/* Places the object's origin at a world position (absolute, not a step). */
void OBXAPI obxObjectMove(Object* object, float x, float y, float z);

/* 1 when the bounding spheres (position, radius) touch or overlap, else 0. */
int OBXAPI obxObjectDetectCollision(Object* a, Object* b);

/* 1 when the ground height under the object's position is within its
 * radius of its centre (above or below), else 0. Outside the landscape the
 * ground height is -1. */
int OBXAPI obxObjectDetectCollisionLandscape(Object* object, Landscape* landscape);

/* ======================================================================== */
/* Camera                                                                   */
/* ======================================================================== */

/* The camera sees 90 degrees across both ways (no aspect correction), from
 * the near distance 2 to the far plane. rotX pitches (positive looks down),
 * rotY turns the heading (positive towards +x), rotZ rolls. The calls after
 * obxCameraCreate work on the active camera; until obxCameraSetActive, that
 * is the engine's own, at the origin looking along +z. */

/* A new camera record, not yet active. Null when it cannot be allocated. The
 * engine never frees it. */
Camera* OBXAPI obxCameraCreate(float x, float y, float z, float rotX, float rotY, float rotZ);

/* Makes `camera` the active camera; it must stay valid while active. */
void OBXAPI obxCameraSetActive(Camera* camera);

/* Sets the active camera's position, and its rotation in degrees. */
void OBXAPI obxCameraMove(float x, float y, float z);
void OBXAPI obxCameraRotate(float rotX, float rotY, float rotZ);

/* Moves the active camera by move[0..2] and turns it by the three angles
 * over the next `steps` rendered frames, an equal share per frame (turns in
 * whole degrees per frame: fractions are lost). Replaces a move in
 * progress; steps 0 stops it. */
void OBXAPI obxCameraMoveIncremental(int steps, const float* move, float turnX, float turnY,
                                     float turnZ);

/* Keeps the active camera aimed at a world point every frame (no roll)
 * until obxCameraDisableSyncToPoint; stepwise moves go on, their turns do
 * not. */
void OBXAPI obxCameraEnableSyncToPoint(float x, float y, float z);
void OBXAPI obxCameraDisableSyncToPoint(void);

/* ======================================================================== */
/* Frames                                                                   */
/* ======================================================================== */

/* A frame: obxBackgroundClear (when nothing covers the whole screen),
 * obxWorldRender(OBX_RENDER_ONLY), 2D drawing between
 * obxSetRenderState(OBX_RENDERSTATE_2D) and (OBX_RENDERSTATE_3D), then
 * obxWorldDisplay; or obxWorldRender(OBX_RENDER_AND_DISPLAY) alone. */

/* Renders the world into the back buffer: clears depth, moves the camera
 * one step, then draws the sky box, the landscape, the objects far to near,
 * the particles, the smoke and the lens flares. OBX_RENDER_AND_DISPLAY also
 * shows the frame; any other value only renders. Counts the frame. */
void OBXAPI obxWorldRender(int display);

/* Shows the rendered frame (swaps the buffers, waiting for the retrace
 * while vertical sync is on); once per obxWorldRender, later calls do
 * nothing. */
void OBXAPI obxWorldDisplay(void);

/* The colour obxBackgroundClear fills with, 0..1 (black after
 * obxInitialize). Draws nothing. */
void OBXAPI obxBackgroundSetColor(const float* rgb);

/* Fills the back buffer with the background colour; depth is left alone.
 * Call it before obxWorldRender. */
void OBXAPI obxBackgroundClear(void);

/* ======================================================================== */
/* Lights                                                                   */
/* ======================================================================== */

/* A point light of colour r, g, b (0..1) at a world position, lighting
 * objects (not the landscape, which has its own light map). Its strength
 * falls by `attenuation` per unit of distance (0: none). `lensFlare` is a
 * flare drawn where the light is seen, or null. `extra` points to three
 * values, which are copied and not used (null: zeros). Returns the light, or
 * null when it cannot be allocated. */
LightSource* OBXAPI obxLightsourceAdd(float r, float g, float b, float x, float y, float z,
                                      float attenuation, LensFlare* lensFlare,
                                      const uint32_t* extra);

/* Moves the light, and sets its colour. */
void OBXAPI obxLightsourceMove(LightSource* light, float x, float y, float z);
void OBXAPI obxLightsourceLight(LightSource* light, float r, float g, float b);

/* Removes and frees the light (not its lens flare). */
void OBXAPI obxLightsourceDelete(LightSource* light);

/* The ambient colour, 0..1, added to every object polygon and to the
 * landscape (black after obxInitialize). */
void OBXAPI obxAmbientlightLight(float r, float g, float b);

/* A dynamic light: a sphere of light of `radius` world units at (x, y, z),
 * full strength r, g, b (0..1) at its centre falling linearly to nothing at
 * the radius. It lights objects and, while active, the landscape's light
 * maps. `radius` must be positive. It lives until the process ends (no
 * call removes it; disable it). Null when it cannot be allocated. */
DynamicLight* OBXAPI obxDynLightsourceAdd(float radius, float x, float y, float z, float r, float g,
                                          float b);

/* Change a dynamic light; setting what is already set costs nothing. */
void OBXAPI obxDynLightsourceChangeRadius(DynamicLight* light, float radius);
void OBXAPI obxDynLightsourceChangeRGB(DynamicLight* light, float r, float g, float b);
void OBXAPI obxDynLightsourceChangeXYZ(DynamicLight* light, float x, float y, float z);

/* Switches the light on or off for the landscape; objects are lit by every
 * dynamic light whatever this says. */
void OBXAPI obxDynLightsourceActivate(DynamicLight* light);
void OBXAPI obxDynLightsourceDisable(DynamicLight* light);

/* A lens flare of `count` elements for obxLightsourceAdd: element i is
 * textures[i], a square of half side halfSizes[i] pixels centred at
 * axisPositions[i] along the line from the centre of the 3D image (0)
 * through the light's point on the screen (1); negative values lie beyond
 * the centre. Note the order, sizes before positions. Added to the frame,
 * fading as the light leaves the view axis; hidden when anything drawn
 * covers the light's point. The arrays are copied. Null when it cannot be
 * allocated or an element's texture is null. */
LensFlare* OBXAPI obxLensflareCreate(int count, TextureRecord** textures, const float* halfSizes,
                                     const float* axisPositions);

/* ======================================================================== */
/* 2D overlay: text, bitmaps, the string grid                               */
/* ======================================================================== */

/* 2D drawing goes between obxSetRenderState(OBX_RENDERSTATE_2D) and
 * obxSetRenderState(OBX_RENDERSTATE_3D), after obxWorldRender and before
 * obxWorldDisplay. Positions and sizes are in a virtual 640 x 480 screen,
 * (0, 0) at the top left, y down, whatever the resolution. */

/* OBX_RENDERSTATE_2D switches fog off for 2D drawing; OBX_RENDERSTATE_3D
 * switches the chroma key off and fog back on as it was. Other values do
 * nothing. */
void OBXAPI obxSetRenderState(int state);

/* A character set: one texture per character code k, read from the file
 * prefix + (the character k) + ".3df" (prefix "font/ch" reads "font/chA.3df"
 * for 'A'); missing files leave gaps. useDefaultMode: OBX_CHARSET_OWN_MODE
 * draws with the parameters given here, OBX_CHARSET_DEFAULT_MODE with the
 * engine's defaults. mode OBX_DRAW_OPAQUE or OBX_DRAW_TRANSLUCENT with
 * `opacity` 0..255 (always the set's own); chromaKey OBX_CHROMAKEY_ON leaves
 * out texels of chromaColour (0..1, read only when the key is on and the
 * pointer is not null); `advance` is how far x moves per character and
 * glyphWidth x glyphHeight the size of each, in virtual pixels. Null when
 * the record cannot be allocated. */
CharacterSet* OBXAPI obxCharactersetLoad(const char* prefix, int useDefaultMode, int mode,
                                         float opacity, int chromaKey, const float* chromaColour,
                                         float advance, float glyphWidth, float glyphHeight);

/* Makes `set` the one obxStringDrawXY draws with (none after obxInitialize:
 * obxStringDrawXY draws nothing until then). */
void OBXAPI obxSetDefaultCharacterset(CharacterSet* set);

/* The set draws with the engine's default parameters from now on. */
void OBXAPI obxCharactersetSetDefaultDrawingMode(CharacterSet* set);

/* The set draws with these parameters from now on (as obxCharactersetLoad;
 * the opacity is stored too). */
void OBXAPI obxCharactersetSetSpecialDrawingMode(CharacterSet* set, int mode, float opacity,
                                                 int chromaKey, const float* chromaColour,
                                                 float advance, float glyphWidth,
                                                 float glyphHeight);

/* Draws `text` with the current character set, its first character's top
 * left corner at virtual (x, y); characters without a glyph leave a gap. A
 * null text only sets the drawing mode. */
void OBXAPI obxStringDrawXY(const char* text, float x, float y);

/* Draws one glyph (e.g. &set->glyphs['A']) stretched over a virtual
 * rectangle, with the drawing mode left by the last text or bitmap. */
void OBXAPI obxCharacterDraw(Glyph* glyph, float x, float y, float width, float height);

/* A bitmap: `texture` drawn as a rectangle, mode OBX_DRAW_OPAQUE or
 * OBX_DRAW_TRANSLUCENT with `opacity` 0..255; chromaKey OBX_CHROMAKEY_ON
 * leaves out texels of chromaColour (0..1; copied whenever the pointer is
 * not null). Null when `texture` is null or the record cannot be allocated. */
Bitmap* OBXAPI obxBitmapCreate(TextureRecord* texture, int mode, float opacity, int chromaKey,
                               const float* chromaColour);

/* Draws the bitmap's whole texture stretched over the virtual rectangle
 * (x, y, width, height); (0, 0, 640, 480) covers the screen. */
void OBXAPI obxBitmapDrawXY(Bitmap* bitmap, float x, float y, float width, float height);

/* The string grid: a console of cells over the whole screen (40 x 30 by
 * default, 16 x 16 pixels each at 640 x 480), drawn from one 256 x 256
 * glyph sheet of 16 x 16 cells (code k in column k mod 16, row k div 16;
 * black texels transparent); "DefaultCS.3df" unless obxStrSetTexture
 * changes it. It needs no obxSetRenderState around it. */

/* Restores the defaults: white, opaque, "DefaultCS.3df", 40 x 30. */
void OBXAPI obxStrDefaultProperties(void);

/* The text colour, red, green and blue each 0..255 (not 0..1 like every
 * other colour of the engine). */
void OBXAPI obxStrSetColor(float red, float green, float blue);

/* The text's opacity, 0 (invisible) to 255 (opaque). */
void OBXAPI obxStrSetOpacity(unsigned char opacity);

/* Another glyph sheet of the same layout. */
void OBXAPI obxStrSetTexture(TextureRecord* texture);

/* The grid's columns and rows, each at least 1. */
void OBXAPI obxStrSetGridDimensions(int columns, int rows);

/* Writes `text` from cell (column, row), (0, 0) at the top left; text
 * reaching the right edge goes on at column 0 of the next row. */
void OBXAPI obxStrDrawGrid(int column, int row, const char* text);

/* ======================================================================== */
/* Landscape and sky box                                                    */
/* ======================================================================== */

/* Builds a landscape from a height map: a 3DF file of 8-bit intensity,
 * 256 x 256 or 64 x 64 texels (obx-texconv -f intensity8). It spans sizeX
 * by sizeZ world units centred on the origin, heights texel / 255 *
 * heightScale; `surfaceTexture` is stretched over the whole of it once. It
 * is lit once, here, from `lightDirection` (three floats, read now; a
 * direction towards the light, any length) with `lightIntensity` 0..1, and
 * later by the dynamic lights. `reserved` is not used. Returns null when
 * the file cannot be read or has another format or size; nothing is
 * logged. Not in the world until obxLandscapeAddToWorld. Lives until the
 * process ends. */
Landscape* OBXAPI obxLandscapeLoadFromFile(const char* heightMapFile, unsigned reserved,
                                           TextureRecord* surfaceTexture, float sizeX, float sizeZ,
                                           float heightScale, const float* lightDirection,
                                           float lightIntensity);

/* The ground height at world (x, z): the height sample of the cell it
 * falls in, not interpolated; -1 outside the landscape. */
float OBXAPI obxLandscapeGetHeightXZ(Landscape* landscape, float x, float z);

/* Makes it the world's one landscape (replacing another), or stops drawing
 * it; a removed landscape can be added again unchanged. */
void OBXAPI obxLandscapeAddToWorld(Landscape* landscape);
void OBXAPI obxLandscapeRemoveFromWorld(void);

/* A sky box: a cube of half side `halfSide` that stays centred on the
 * camera and turns with it, fully bright, drawn behind everything (the far
 * plane does not cut it). Its faces, seen from inside: t1 at +z (ahead of
 * the default camera), t2 at -x, t3 at -z, t4 at +x, t5 at +y (above), t6
 * at -y. Replaces an earlier sky box. Always returns 1. */
int OBXAPI obxSkyboxAdd(float halfSide, TextureRecord* t1, TextureRecord* t2, TextureRecord* t3,
                        TextureRecord* t4, TextureRecord* t5, TextureRecord* t6);

/* Draws no sky box from now on (until the next obxSkyboxAdd). */
void OBXAPI obxSkyboxDisable(void);

/* ======================================================================== */
/* Particles and smoke                                                      */
/* ======================================================================== */

/* A particle emitter at (x, y, z) with a pool of `capacity` particles, each
 * a glowing square of half side particleSize world units facing the camera,
 * added to the frame (no depth test). A particle lives 50 to 99 frames,
 * fading from startColour to endColour (0..1), moving each frame by its
 * velocity (starting at `velocity`, multiplied by `damping` every frame)
 * plus a random drift of up to `spread` per axis. Vectors are copied; a
 * null texture draws the particles with the white texture.
 * Particles are released only by obxEmitterAddParticle(s). Null when the
 * pool cannot be allocated. Not in the world until obxEmitterAddToWorld. */
ParticleEmitter* OBXAPI obxEmitterCreate(float x, float y, float z, int capacity,
                                         const float* startColour, const float* endColour,
                                         TextureRecord* texture, const float* velocity,
                                         float damping, float particleSize, float spread);

/* Emitters in the world move and draw their particles every frame; out of
 * it they wait. */
void OBXAPI obxEmitterAddToWorld(ParticleEmitter* emitter);
void OBXAPI obxEmitterRemoveFromWorld(ParticleEmitter* emitter);

/* Releases one particle, or `count` of them, while the pool has room. */
void OBXAPI obxEmitterAddParticle(ParticleEmitter* emitter);
void OBXAPI obxEmitterAddParticles(ParticleEmitter* emitter, int count);

/* Moves the emitter and sets the velocity of new particles; live ones keep
 * theirs. */
void OBXAPI obxEmitterChangeProperties(ParticleEmitter* emitter, float x, float y, float z,
                                       const float* velocity);

/* A smoke emitter at (x, y, z): every frame it releases puffsPerFrame grey
 * puffs from a square of +-spawnRadius around it (while its pool of
 * `capacity` has room); each is a square of half side puffSize, rises by
 * riseSpeed per frame with a random drift multiplied by `damping` each
 * frame, and fades out over puffLife frames (a null texture: white).
 * `velocity` is stored only. The
 * stream is steady when puffsPerFrame * puffLife <= capacity. Null when the
 * pool cannot be allocated. Not in the world until
 * obxSmokeEmitterAddToWorld. */
SmokeEmitter* OBXAPI obxSmokeEmitterCreate(float x, float y, float z, int capacity,
                                           TextureRecord* texture, float spawnRadius,
                                           const float* velocity, float damping, float puffSize,
                                           float riseSpeed, int puffLife, int puffsPerFrame);

/* As the particle emitter's calls. */
void OBXAPI obxSmokeEmitterAddToWorld(SmokeEmitter* emitter);
void OBXAPI obxSmokeEmitterRemoveFromWorld(SmokeEmitter* emitter);
void OBXAPI obxSmokeEmitterChangeProperties(SmokeEmitter* emitter, float x, float y, float z,
                                            const float* velocity);

/* Puffs released per frame: more makes the smoke denser, 0 stops it (the
 * puffs alive fade out). */
void OBXAPI obxSmokeEmitterChangeOpacity(SmokeEmitter* emitter, int puffsPerFrame);

#ifdef __cplusplus
}
#endif

#endif /* OMBRIX_H */

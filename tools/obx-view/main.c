/*
 * obx-view FILE.3ds: any 3D Studio file, loaded by the engine as one object,
 * shown as its author saw it: unmirrored, lit below saturation, from the
 * front three-quarters and fitted to the screen.
 *
 *   obx-view FILE.3ds [--headless] [--shot PNG] [--yaw DEG] [--pitch DEG]
 *                     [--shading flat|smooth] [--shape solid|outline|points]
 *                     [--untextured] [--resolution 0..4]
 *
 * It prints what it loaded: the meshes merged into the object, its vertices
 * and polygons, the materials, and the texture files found, converted and
 * missing (looked for next to the model, as NAME.3df for a map NAME.EXT, or
 * converted on the fly from NAME.png, .jpg, .tga, .bmp or .gif there). In a
 * window the arrow keys turn the object, S switches flat and smooth shading,
 * O solid, outline and points, T texturing, + and - zoom, R resets the view,
 * F12 writes a screenshot and Escape quits. Headless (without a display, or
 * with --headless) it draws one frame, writes it to --shot when given, and
 * ends.
 */
#define _DEFAULT_SOURCE /* mkdtemp */
#include <limits.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#endif

#include "app_window.h"
#include "model_texture.h"
#include "ombrix.h"
#include "scan3ds.h"
#include "screenshot.h"

/* 3D Studio's materials give the colour they show under its ambient light
 * as their ambient colour; the engine adds it whole, which washes out
 * every model lit any further. The viewer lets this much of it through. */
#define AMBIENT_SHARE 0.06f
/* Where the two lights stand, from the object: a key light above, left and
 * in front, a cool fill light right and below. With the ambient light and
 * the material's share, a white surface turned to the key light reaches
 * about 0.91, so nothing saturates. */
static const float keyLight[6] = {0.78f, 0.76f, 0.72f, -700.0f, 900.0f, -760.0f};
static const float fillLight[6] = {0.20f, 0.22f, 0.27f, 900.0f, -250.0f, 40.0f};
static const float ambientLight[3] = {0.03f, 0.03f, 0.035f};
/* The share of the screen's half-width and half-height the fitted object fills. */
#define FIT_MARGIN 0.78f
/* Smooth shading rounds off the edges between faces that meet at less than
 * 75 degrees, as 3D Studio's smoothing groups would: coarse curves down to
 * six faces round (60 degrees apart), right angles stay sharp. */
#define CREASE_COSINE 0.26f

typedef struct Options {
    const char* file;
    int headless;
    const char* shot;
    int yaw, pitch;
    int pitchGiven;
    int smooth;
    int shape; /* 0 solid, 1 outline, 2 points */
    int textured;
    int resolution;
} Options;

/* ---- The file ----------------------------------------------------------------------- */

/* The whole file, at most 256 MB; null when it cannot be read. */
static uint8_t* fileRead(const char* path, size_t* size)
{
    FILE* file = fopen(path, "rb");
    if (!file)
        return NULL;
    uint8_t* data = NULL;
    long length = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        length = ftell(file);
    if (length >= 0 && length <= (256L << 20) && fseek(file, 0, SEEK_SET) == 0) {
        data = (uint8_t*)malloc((size_t)length + 1);
        if (data && fread(data, 1, (size_t)length, file) != (size_t)length) {
            free(data);
            data = NULL;
        }
    }
    fclose(file);
    *size = data ? (size_t)length : 0;
    return data;
}

/* ---- Textures ---------------------------------------------------------------------- */

/* How each texture file the model names was found. */
enum { TEXTURE_MISSING, TEXTURE_FOUND, TEXTURE_CONVERTED };

typedef struct Textures {
    int how[SCAN_MAPS];
    char picture[SCAN_MAPS][SCAN_NAME_BYTES]; /* the picture a converted one came from */
} Textures;

static int fileExists(const char* path)
{
    FILE* file = fopen(path, "rb");
    if (file)
        fclose(file);
    return file != NULL;
}

static int fileCopy(const char* from, const char* to)
{
    size_t size = 0;
    uint8_t* bytes = fileRead(from, &size);
    FILE* out = bytes ? fopen(to, "wb") : NULL;
    int ok = out && fwrite(bytes, 1, size, out) == size;
    if (out)
        ok = fclose(out) == 0 && ok;
    free(bytes);
    return ok;
}

/* A new, empty directory of this process's own for files it removes again. */
static int tempDirMake(char* path, size_t size)
{
    const char* base = getenv("TMPDIR");
#ifdef _WIN32
    if (!base || !*base)
        base = getenv("TEMP");
    if (!base || !*base)
        base = ".";
    for (int attempt = 0; attempt < 100; attempt++) {
        snprintf(path, size, "%s/obx-view-%lu-%d", base, (unsigned long)GetCurrentProcessId(),
                 attempt);
        if (_mkdir(path) == 0)
            return 1;
    }
    return 0;
#else
    if (!base || !*base)
        base = "/tmp";
    if ((size_t)snprintf(path, size, "%s/obx-view-XXXXXX", base) >= size)
        return 0;
    return mkdtemp(path) != NULL;
#endif
}

/* The engine loads a map NAME.EXT as NAME.3df from the current directory (the
 * model's). Those it would not find there, because the file differs in
 * letter case or there is only a picture (converted as obx-texconv
 * --for-model would), are made in a temporary directory and loaded from
 * there under the name the model gives before the model itself is: the
 * engine's loader then finds them by name. Nothing is written next to the
 * model. */
static void texturesPrepare(const Scan3ds* scan, const char* directory, Textures* t)
{
    memset(t, 0, sizeof *t);
    char temp[PATH_MAX] = "";
    int made[SCAN_MAPS] = {0};
    int progress = stderrIsTerminal();
    for (int i = 0; i < scan->mapCount; i++) {
        const char* name = scan->maps[i];
        char source[PATH_MAX], out[PATH_MAX];
        t->how[i] = TEXTURE_FOUND;
        if (fileExists(name))
            continue;
        t->how[i] = TEXTURE_MISSING;
        int copy = fileFindIgnoringCase(directory, name, source, sizeof source);
        if (!copy && !modelImageFind(directory, name, source, sizeof source))
            continue;
        if (!temp[0] && !tempDirMake(temp, sizeof temp)) {
            fprintf(stderr, "obx-view: cannot make a temporary directory for textures\n");
            temp[0] = '\0';
            break;
        }
        if ((size_t)snprintf(out, sizeof out, "%s/%s", temp, name) >= sizeof out)
            continue;
        const char* base = strrchr(source, '/');
        base = base ? base + 1 : source;
        if (progress) {
            fprintf(stderr, "\robx-view: converting %d/%d %-40.40s", i + 1, scan->mapCount, base);
            fflush(stderr);
        }
        ModelTexture result;
        if (copy ? fileCopy(source, out) : modelTextureWrite(source, out, "rgb565", 1, &result)) {
            t->how[i] = copy ? TEXTURE_FOUND : TEXTURE_CONVERTED;
            snprintf(t->picture[i], sizeof t->picture[i], "%.*s", SCAN_NAME_BYTES - 1, base);
            made[i] = 1;
        } else {
            if (progress)
                fprintf(stderr, "\r%70s\r", "");
            fprintf(stderr, "obx-view: %s: %s\n", source, copy ? "cannot copy it" : result.error);
        }
    }
    if (progress)
        fprintf(stderr, "\r%70s\r", "");
    if (!temp[0])
        return;
    if (chdir(temp) == 0) {
        for (int i = 0; i < scan->mapCount; i++)
            if (made[i])
                obxTextureLoad(scan->maps[i], 0);
    }
    for (int i = 0; i < scan->mapCount; i++) {
        char out[PATH_MAX];
        if (made[i] && (size_t)snprintf(out, sizeof out, "%s/%s", temp, scan->maps[i]) < sizeof out)
            remove(out);
    }
    if (chdir(directory) != 0)
        fprintf(stderr, "obx-view: cannot enter %s\n", directory);
    rmdir(temp);
}

/* ---- The report -------------------------------------------------------------------- */

/* "  NAME NAME ..." for the names picked (all when pick is null). */
static void nameList(int count, const char (*names)[SCAN_NAME_BYTES], const int* pick, int want)
{
    const char* gap = "  ";
    for (int i = 0; i < count; i++) {
        if (!pick || pick[i] == want) {
            printf("%s%s", gap, names[i]);
            gap = " ";
        }
    }
}

static int countOf(const int* how, int count, int want)
{
    int n = 0;
    for (int i = 0; i < count; i++)
        n += how[i] == want;
    return n;
}

/* What was loaded, on standard output; how[i] says how texture i was found. */
static void reportPrint(const char* path, const Scan3ds* scan, const Object* object, const int* how,
                        const Textures* t)
{
    int n = scan->mapCount;
    printf("%s\n", path);
    printf("  meshes merged      %6d", scan->meshes);
    nameList(scan->meshNameCount, scan->meshNames, NULL, 0);
    printf("%s\n", scan->meshes > scan->meshNameCount ? " ..." : "");
    printf("  vertices           %6d\n", object->vertexCount);
    printf("  polygons           %6d\n", object->polygonCount);
    printf("  materials          %6d\n", scan->materials);
    printf("  textures found     %6d", countOf(how, n, TEXTURE_FOUND));
    nameList(n, scan->maps, how, TEXTURE_FOUND);
    if (countOf(how, n, TEXTURE_CONVERTED) > 0) {
        printf("\n  textures converted %6d", countOf(how, n, TEXTURE_CONVERTED));
        nameList(n, t->picture, how, TEXTURE_CONVERTED);
    }
    printf("\n  textures missing   %6d", countOf(how, n, TEXTURE_MISSING));
    nameList(n, scan->maps, how, TEXTURE_MISSING);
    printf("\n");
    fflush(stdout);
}

/* ---- The object --------------------------------------------------------------------- */

static void swapFloats(float* a, float* b)
{
    float t = *a;
    *a = *b;
    *b = t;
}

/* 3D Studio's axes are right-handed with z up, the engine's left-handed with
 * y up. Swapping y and z stands the model up and undoes the mirror image a
 * mere turn would leave (text would read backwards); each triangle's second
 * and third corners change places too, so that its front still faces out. */
static void objectUnmirror(Object* o)
{
    for (int i = 0; i < o->vertexCount; i++) {
        swapFloats(&o->vertices[i].y, &o->vertices[i].z);
        swapFloats(&o->vertexNormals[i][1], &o->vertexNormals[i][2]);
    }
    for (int p = 0; p < o->polygonCount; p++) {
        struct Polygon* polygon = &o->polygons[p];
        swapFloats(&polygon->normal.y, &polygon->normal.z);
        int32_t corner = polygon->indices[1];
        polygon->indices[1] = polygon->indices[2];
        polygon->indices[2] = corner;
        swapFloats(&polygon->texCoords[2], &polygon->texCoords[4]);
        swapFloats(&polygon->texCoords[3], &polygon->texCoords[5]);
    }
}

/* The colours 3D Studio shows: a material's ambient colour only under the
 * faint ambient light (AMBIENT_SHARE), and a texture map in place of the
 * diffuse colour, as a map at its usual full amount is. */
static void objectMaterials(Object* o)
{
    for (int p = 0; p < o->polygonCount; p++) {
        struct Polygon* polygon = &o->polygons[p];
        for (int ch = 0; ch < 3; ch++) {
            polygon->emissive[ch] *= AMBIENT_SHARE;
            if (polygon->kind == 1)
                polygon->diffuse[ch] = 1.0f;
        }
    }
}

static const Object* sortedObject;

static int positionCompare(const void* a, const void* b)
{
    const Vector* p = &sortedObject->vertices[*(const int*)a];
    const Vector* q = &sortedObject->vertices[*(const int*)b];
    if (p->x != q->x)
        return p->x < q->x ? -1 : 1;
    if (p->y != q->y)
        return p->y < q->y ? -1 : 1;
    if (p->z != q->z)
        return p->z < q->z ? -1 : 1;
    return *(const int*)a - *(const int*)b;
}

/* The engine averages a vertex's normal over the faces that share the
 * vertex itself; exporters give each face (or each part between seams) its
 * own copies of the vertices, which would leave a round model faceted. Each
 * vertex takes instead the mean normal of the faces around its position
 * that bend less than the crease angle from its own, as 3D Studio smooths
 * within a smoothing group: round parts round, sharp edges sharp. */
static int objectSmooth(Object* o)
{
    int n = o->vertexCount;
    int* order = (int*)malloc(sizeof(int) * (size_t)(n + 1));
    float(*sums)[3] = (float(*)[3])calloc((size_t)n + 1, sizeof(float[3]));
    if (!order || !sums) {
        free(order);
        free(sums);
        return 0;
    }
    for (int i = 0; i < n; i++)
        order[i] = i;
    sortedObject = o;
    qsort(order, (size_t)n, sizeof(int), positionCompare);
    for (int first = 0, last; first < n; first = last) {
        const Vector* at = &o->vertices[order[first]];
        for (last = first + 1; last < n; last++) {
            const Vector* p = &o->vertices[order[last]];
            if (p->x != at->x || p->y != at->y || p->z != at->z)
                break;
        }
        for (int k = first; k < last; k++) {
            int v = order[k];
            const float* own = o->vertexNormals[v];
            for (int j = first; j < last; j++) {
                const VertexRecord* r = &o->vertexRecords[order[j]];
                for (int u = 0; u < r->polygonUseCount; u++) {
                    const Vector* f = &o->polygons[r->polygonUse[u]].normal;
                    if (f->x * own[0] + f->y * own[1] + f->z * own[2] < CREASE_COSINE)
                        continue;
                    sums[v][0] += f->x;
                    sums[v][1] += f->y;
                    sums[v][2] += f->z;
                }
            }
        }
    }
    for (int v = 0; v < n; v++) {
        float length =
            sqrtf(sums[v][0] * sums[v][0] + sums[v][1] * sums[v][1] + sums[v][2] * sums[v][2]);
        if (length > 0.0f)
            for (int axis = 0; axis < 3; axis++)
                o->vertexNormals[v][axis] = sums[v][axis] / length;
    }
    free(order);
    free(sums);
    return 1;
}

/* ---- The view ----------------------------------------------------------------------- */

typedef struct View {
    const Options* options;
    char path[PATH_MAX];
    char startDirectory[PATH_MAX]; /* where screenshots go */
    Object* object;
    LightSource* key;
    LightSource* fill;
    /* The object's shape after loading and standing it up: every turn is
     * made afresh from it, so turns never add up their rounding. */
    Vector* vertices;
    float (*vertexNormals)[4];
    Vector* faceNormals;
    int yaw, pitch;
    int smooth;
    int shape;
    int textured;
    float distance;
    float fittedX, fittedY, fittedDistance; /* fittedDistance 0 until a pose is fitted */
    int shots;
} View;

static int viewKeep(View* v)
{
    Object* o = v->object;
    size_t n = (size_t)o->vertexCount + 1, m = (size_t)o->polygonCount + 1;
    free(v->vertices);
    free(v->vertexNormals);
    free(v->faceNormals);
    v->vertices = (Vector*)malloc(sizeof(Vector) * n);
    v->vertexNormals = (float(*)[4])malloc(sizeof(float[4]) * n);
    v->faceNormals = (Vector*)malloc(sizeof(Vector) * m);
    if (!v->vertices || !v->vertexNormals || !v->faceNormals)
        return 0;
    memcpy(v->vertices, o->vertices, sizeof(Vector) * (size_t)o->vertexCount);
    memcpy(v->vertexNormals, o->vertexNormals, sizeof(float[4]) * (size_t)o->vertexCount);
    for (int i = 0; i < o->polygonCount; i++)
        v->faceNormals[i] = o->polygons[i].normal;
    return 1;
}

static int degrees(int angle)
{
    angle %= 360;
    return angle < 0 ? angle + 360 : angle;
}

/* The place that fits the posed object in the view: centred, at the
 * distance at which it fills FIT_MARGIN of the view both ways. The view is
 * 90 degrees across, so a point fits when its x and y are at most
 * FIT_MARGIN times its depth; the centring is found in a few rounds, as
 * moving aside changes what perspective makes of the object. */
static void viewFit(View* v)
{
    const Object* o = v->object;
    float x = 0.0f, y = 0.0f, distance = 10.0f;
    for (int round = 0; round < 4 && o->vertexCount > 0; round++) {
        distance = 10.0f;
        for (int i = 0; i < o->vertexCount; i++) {
            const Vector* p = &o->vertices[i];
            float side = fabsf(p->x + x) > fabsf(p->y + y) ? fabsf(p->x + x) : fabsf(p->y + y);
            float need = side / FIT_MARGIN - p->z;
            if (need > distance)
                distance = need;
            if (10.0f - p->z > distance)
                distance = 10.0f - p->z;
        }
        float low[2] = {1.0f, 1.0f}, high[2] = {-1.0f, -1.0f};
        for (int i = 0; i < o->vertexCount; i++) {
            const Vector* p = &o->vertices[i];
            const float screen[2] = {(p->x + x) / (distance + p->z),
                                     (p->y + y) / (distance + p->z)};
            for (int k = 0; k < 2; k++) {
                low[k] = screen[k] < low[k] ? screen[k] : low[k];
                high[k] = screen[k] > high[k] ? screen[k] : high[k];
            }
        }
        x -= (low[0] + high[0]) * 0.5f * distance;
        y -= (low[1] + high[1]) * 0.5f * distance;
    }
    v->fittedX = x;
    v->fittedY = y;
    v->fittedDistance = distance;
    v->distance = distance;
}

/* Turns the kept shape about the vertical axis (yaw), then about the
 * screen's horizontal axis (pitch), applies shading and shape, and places
 * the object and its lights. */
static void viewPose(View* v)
{
    Object* o = v->object;
    memcpy(o->vertices, v->vertices, sizeof(Vector) * (size_t)o->vertexCount);
    memcpy(o->vertexNormals, v->vertexNormals, sizeof(float[4]) * (size_t)o->vertexCount);
    for (int i = 0; i < o->polygonCount; i++)
        o->polygons[i].normal = v->faceNormals[i];
    /* Smooth shading needs the vertex normals turned too, which a turn does
     * only for smooth objects: set it first. */
    obxObjectSetShadingType(o, v->smooth ? 1 : 3);
    obxObjectRotate(o, 0.0f, (float)degrees(v->yaw), 0.0f);
    obxObjectRotate(o, (float)degrees(v->pitch), 0.0f, 0.0f);
    obxObjectSetShape(o, v->shape);
    if (v->fittedDistance == 0.0f)
        viewFit(v);
    obxObjectMove(o, v->fittedX, v->fittedY, v->distance);
    /* The lights keep their places around the object, so a white face
     * stays below saturation at any distance. */
    obxLightsourceMove(v->key, v->fittedX + keyLight[3], v->fittedY + keyLight[4],
                       v->distance + keyLight[5]);
    obxLightsourceMove(v->fill, v->fittedX + fillLight[3], v->fittedY + fillLight[4],
                       v->distance + fillLight[5]);
}

/* Loads the file as one object of radius 100, stood up and unmirrored, in
 * its author's colours and smoothing, and added to the world in place of
 * the one before. */
static int viewLoad(View* v)
{
    Object* object = obxObjectLoad(v->path, 0, 100.0f, v->textured);
    if (!object)
        return 0;
    if (v->object)
        obxObjectDelete(v->object);
    v->object = object;
    objectUnmirror(object);
    objectMaterials(object);
    if (!objectSmooth(object) || !viewKeep(v))
        return 0;
    obxObjectAdd(object);
    viewPose(v);
    return 1;
}

/* Front three-quarters from a little above; a flat model (its height under
 * a sixth of its breadth) from higher up, so that it is not seen edge-on.
 * Fitted afresh when the angles change. */
static void viewReset(View* v)
{
    int yaw = v->options->yaw, pitch = v->options->pitch;
    if (!v->options->pitchGiven && v->vertices) {
        float low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
        for (int i = 0; i < v->object->vertexCount; i++) {
            const float p[3] = {v->vertices[i].x, v->vertices[i].y, v->vertices[i].z};
            for (int axis = 0; axis < 3; axis++) {
                low[axis] = p[axis] < low[axis] ? p[axis] : low[axis];
                high[axis] = p[axis] > high[axis] ? p[axis] : high[axis];
            }
        }
        float breadth = high[0] - low[0] > high[2] - low[2] ? high[0] - low[0] : high[2] - low[2];
        if ((high[1] - low[1]) * 6.0f < breadth)
            pitch = 50;
    }
    if (yaw != v->yaw || pitch != v->pitch)
        v->fittedDistance = 0.0f;
    v->yaw = yaw;
    v->pitch = pitch;
    v->distance = v->fittedDistance;
}

static void viewDraw(const View* v)
{
    static const char* const shapes[3] = {"SOLID", "OUTLINE", "POINTS"};
    char text[128];
    obxBackgroundClear();
    obxWorldRender(0);
    obxSetRenderState(0);
    const char* name = strrchr(v->path, '/');
    obxStrSetGridDimensions(64, 40);
    obxStrSetColor(255.0f, 214.0f, 120.0f);
    snprintf(text, sizeof text, "%.60s", name ? name + 1 : v->path);
    obxStrDrawGrid(1, 1, text);
    obxStrSetColor(200.0f, 215.0f, 240.0f);
    snprintf(text, sizeof text, "%d VERTICES  %d POLYGONS", v->object->vertexCount,
             v->object->polygonCount);
    obxStrDrawGrid(1, 2, text);
    snprintf(text, sizeof text, "%s  %s  %s", v->smooth ? "SMOOTH" : "FLAT", shapes[v->shape],
             v->textured ? "TEXTURED" : "UNTEXTURED");
    obxStrDrawGrid(1, 3, text);
    obxStrSetColor(150.0f, 165.0f, 190.0f);
    obxStrDrawGrid(1, 38, "ARROWS TURN  S SHADING  O SHAPE  T TEXTURES  +/- ZOOM  R RESET");
    obxStrDrawGrid(1, 39, "F12 SCREENSHOT  ESC QUIT");
    obxStrDefaultProperties();
    obxSetRenderState(1);
    obxWorldDisplay();
}

/* ---- Start-up ------------------------------------------------------------------------ */

static void usage(FILE* to)
{
    fprintf(to, "usage: obx-view FILE.3ds [--headless] [--shot PNG] [--yaw DEG] [--pitch DEG]\n"
                "                [--shading flat|smooth] [--shape solid|outline|points]\n"
                "                [--untextured] [--resolution 0..4]\n"
                "\n"
                "Shows a 3D Studio model through the engine, from the front three-quarters.\n"
                "Its textures are NAME.3df next to it for a map NAME.EXT, or pictures there\n"
                "(NAME.png, .jpg, .jpeg, .tga, .bmp or .gif) converted on the fly;\n"
                "obx-texconv --for-model FILE.3ds writes them next to it for good.\n"
                "\n"
                "  --headless          draw one frame without a window, then end\n"
                "  --shot PNG          write that frame to PNG\n"
                "  --yaw, --pitch DEG  turn the model (default 325 and 20; 50 for a flat one)\n"
                "  --shading, --shape  how it is drawn (flat, solid by default)\n"
                "  --untextured        without its textures\n"
                "  --resolution 0..4   640x480, 800x600, 1024x768, 1280x1024, 1600x1200\n"
                "  -h, --help          this text\n"
                "\n"
                "Keys: arrows turn, S shading, O shape, T textures, + and - zoom, R reset,\n"
                "F12 screenshot (into the directory it was started from), Escape quits.\n");
}

/* 1 when the options are right; 0 when not; -1 when the usage was asked for. */
static int optionsRead(int argc, char** argv, Options* o)
{
    memset(o, 0, sizeof *o);
    o->yaw = 325;
    o->pitch = 20;
    o->textured = 1;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : NULL;
        if (strcmp(a, "--help") == 0 || strcmp(a, "-h") == 0) {
            return -1;
        } else if (strcmp(a, "--headless") == 0) {
            o->headless = 1;
        } else if (strcmp(a, "--untextured") == 0) {
            o->textured = 0;
        } else if (strcmp(a, "--shot") == 0 && value) {
            o->shot = argv[++i];
        } else if (strcmp(a, "--yaw") == 0 && value) {
            o->yaw = atoi(argv[++i]);
        } else if (strcmp(a, "--pitch") == 0 && value) {
            o->pitch = atoi(argv[++i]);
            o->pitchGiven = 1;
        } else if (strcmp(a, "--resolution") == 0 && value) {
            o->resolution = atoi(argv[++i]);
        } else if (strcmp(a, "--shading") == 0 && value) {
            i++;
            if (strcmp(value, "flat") != 0 && strcmp(value, "smooth") != 0)
                return 0;
            o->smooth = strcmp(value, "smooth") == 0;
        } else if (strcmp(a, "--shape") == 0 && value) {
            i++;
            if (strcmp(value, "solid") == 0)
                o->shape = 0;
            else if (strcmp(value, "outline") == 0)
                o->shape = 1;
            else if (strcmp(value, "points") == 0)
                o->shape = 2;
            else
                return 0;
        } else if (a[0] != '-' && !o->file) {
            o->file = a;
        } else {
            return 0;
        }
    }
    return o->file != NULL;
}

static int shotWrite(const char* path)
{
    float w, h;
    obxResolutionGet(&w, &h);
    if (!screenshotWrite(path, (int)w, (int)h))
        return 0;
    printf("obx-view: screenshot %s\n", path);
    fflush(stdout);
    return 1;
}

/* The next screenshot's path: obx-view-MODEL-N.png in the directory the
 * viewer was started from, N the first number whose file does not exist, so
 * that no shot is ever written over. 0 when there is none. */
static int shotPathNext(View* v, char* path, size_t size)
{
    const char* name = strrchr(v->path, '/');
    name = name ? name + 1 : v->path;
    int stem = (int)strcspn(name, ".");
    while (v->shots < 100000) {
        v->shots++;
        int n = snprintf(path, size, "%s/obx-view-%.*s-%d.png", v->startDirectory, stem, name,
                         v->shots);
        if (n < 0 || (size_t)n >= size)
            return 0;
        if (!fileExists(path))
            return 1;
    }
    return 0;
}

/* ---- Running ---------------------------------------------------------------------------- */

/* Until Escape or the window closes; 1 when a reload failed. */
static int windowRun(AppWindow* window, View* v)
{
    static const char* const shapes[3] = {"solid", "outline", "points"};
    viewDraw(v);
    AppEvent event;
    while (eventWait(window, &event)) {
        if (event.type == APP_QUIT)
            return 0;
        if (event.type != APP_KEY) {
            viewDraw(v); /* shown again after being covered or resized */
            continue;
        }
        switch (event.key) {
        case APP_KEY_ESCAPE: return 0;
        case APP_KEY_LEFT: v->yaw += 3; break;
        case APP_KEY_RIGHT: v->yaw -= 3; break;
        case APP_KEY_UP: v->pitch += 3; break;
        case APP_KEY_DOWN: v->pitch -= 3; break;
        case 's':
            v->smooth = !v->smooth;
            printf("obx-view: %s shading\n", v->smooth ? "smooth" : "flat");
            break;
        case 'o':
            v->shape = (v->shape + 1) % 3;
            printf("obx-view: %s\n", shapes[v->shape]);
            break;
        case 't':
            v->textured = !v->textured;
            if (!viewLoad(v))
                return 1;
            printf("obx-view: %s\n", v->textured ? "textured" : "untextured");
            break;
        case '+':
        case '=':
            v->distance *= 0.9f;
            if (v->distance < v->fittedDistance * 0.5f)
                v->distance = v->fittedDistance * 0.5f;
            break;
        case '-':
            /* Short of the far plane at 3000. */
            if (v->distance * 1.1f < 2800.0f - v->object->radius)
                v->distance *= 1.1f;
            break;
        case 'r': viewReset(v); break;
        case APP_KEY_F12: {
            char path[PATH_MAX + 64];
            if (shotPathNext(v, path, sizeof path))
                shotWrite(path);
            else
                fprintf(stderr, "obx-view: no free screenshot name in %s\n", v->startDirectory);
            continue;
        }
        default: continue;
        }
        fflush(stdout);
        viewPose(v);
        viewDraw(v);
    }
    return 0;
}

int main(int argc, char** argv)
{
    Options o;
    int read = optionsRead(argc, argv, &o);
    if (read <= 0) {
        usage(read < 0 ? stdout : stderr);
        return read < 0 ? 0 : 2;
    }
    View view;
    memset(&view, 0, sizeof view);
    view.options = &o;
    if (!pathAbsolute(o.file, view.path)) {
        fprintf(stderr, "obx-view: cannot open %s\n", o.file);
        return 1;
    }
    size_t size = 0;
    uint8_t* bytes = fileRead(view.path, &size);
    if (!bytes) {
        fprintf(stderr, "obx-view: cannot read %s\n", o.file);
        return 1;
    }
    Scan3ds scan;
    scan3ds(bytes, size, &scan);
    free(bytes);
    /* Shots are written where the program was started. */
    if (!getcwd(view.startDirectory, sizeof view.startDirectory))
        strcpy(view.startDirectory, ".");
    char shot[PATH_MAX] = "";
    if (o.shot) {
        int n = o.shot[0] == '/'
                    ? snprintf(shot, sizeof shot, "%s", o.shot)
                    : snprintf(shot, sizeof shot, "%s/%s", view.startDirectory, o.shot);
        if (n < 0 || (size_t)n >= sizeof shot) {
            fprintf(stderr, "obx-view: the path %s is too long\n", o.shot);
            return 1;
        }
    }

    if (!dataDirectoryEnter("obx-view"))
        return 1;
    AppWindow* window = windowOpen("Ombrix Viewer", o.resolution, o.headless);
    if (!window)
        headlessChoose();
    if (!obxInitialize(window ? windowHandle(window) : NULL, o.resolution)) {
        fprintf(stderr, "Couldn't initialize Ombrix!\n");
        return 1;
    }
    /* Textures are looked for next to the model. */
    char directory[PATH_MAX];
    strcpy(directory, view.path);
    *strrchr(directory, '/') = '\0';
    if (!directory[0])
        strcpy(directory, "/");
    if (chdir(directory) != 0)
        fprintf(stderr, "obx-view: cannot enter %s\n", directory);
    Textures textures;
    texturesPrepare(&scan, directory, &textures);

    const uint32_t extra[3] = {0, 0, 0};
    view.key = obxLightsourceAdd(keyLight[0], keyLight[1], keyLight[2], 0.0f, 0.0f, 0.0f, 0.0f,
                                 NULL, extra);
    view.fill = obxLightsourceAdd(fillLight[0], fillLight[1], fillLight[2], 0.0f, 0.0f, 0.0f, 0.0f,
                                  NULL, extra);
    obxAmbientlightLight(ambientLight[0], ambientLight[1], ambientLight[2]);
    const float backdrop[3] = {30.0f / 255.0f, 34.0f / 255.0f, 44.0f / 255.0f};
    obxBackgroundSetColor(backdrop);

    view.smooth = o.smooth;
    view.shape = o.shape;
    view.textured = o.textured;
    view.yaw = o.yaw;
    view.pitch = o.pitch;
    if (!viewLoad(&view)) {
        /* The refusal alone: nothing of what was not loaded. */
        fprintf(stderr, "obx-view: the engine cannot load %s%s\n", o.file,
                !scan.isMain   ? ": not a 3D Studio file"
                : scan.damaged ? ": it is damaged"
                               : "");
        obxShutdown();
        return 1;
    }
    /* The view for this model's shape (a flat one is seen from higher up). */
    viewReset(&view);
    viewPose(&view);
    int how[SCAN_MAPS];
    for (int i = 0; i < scan.mapCount; i++)
        how[i] = obxTextureLoad(scan.maps[i], 0) != NULL ? textures.how[i] : TEXTURE_MISSING;
    reportPrint(view.path, &scan, view.object, how, &textures);

    int code = 0;
    if (window) {
        code = windowRun(window, &view);
    } else {
        viewDraw(&view);
        if (shot[0] && !shotWrite(shot))
            code = 1;
    }
    obxShutdown();
    if (window)
        windowClose(window);
    free(view.vertices);
    free(view.vertexNormals);
    free(view.faceNormals);
    return code;
}

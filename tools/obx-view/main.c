/*
 * obx-view FILE.3ds: any 3D Studio file, loaded by the engine as one object,
 * centred in front of the camera.
 *
 *   obx-view FILE.3ds [--headless] [--shot PNG] [--yaw DEG] [--pitch DEG]
 *                     [--shading flat|smooth] [--shape solid|outline|points]
 *                     [--untextured] [--resolution 0..4]
 *
 * It prints what it loaded: the meshes merged into the object, its vertices
 * and polygons, the materials, and the texture files found and missing
 * (looked for next to the model, as NAME.3df for a map NAME.EXT). In a
 * window the arrow keys turn the object, S switches flat and smooth shading,
 * O solid, outline and points, T texturing, + and - zoom, R resets the view,
 * F12 writes a screenshot and Escape quits. Headless (without a display, or
 * with --headless) it draws one frame, writes it to --shot when given, and
 * ends.
 */
#define _DEFAULT_SOURCE /* realpath, readlink, setenv, clock_gettime */
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "app_window.h"
#include "ombrix.h"
#include "scan3ds.h"
#include "screenshot.h"

typedef struct Options {
    const char* file;
    int headless;
    const char* shot;
    int yaw, pitch;
    int smooth;
    int shape;         /* 0 solid, 1 outline, 2 points */
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

/* What was loaded, on standard output. found[i] says whether texture i was. */
static void reportPrint(const char* path, const Scan3ds* scan, const Object* object,
                        const int* found)
{
    int foundCount = 0;
    for (int i = 0; i < scan->mapCount; i++)
        foundCount += found[i];
    printf("%s\n", path);
    printf("  meshes merged    %6d", scan->meshes);
    nameList(scan->meshNameCount, scan->meshNames, NULL, 0);
    printf("%s\n", scan->meshes > scan->meshNameCount ? " ..." : "");
    printf("  vertices         %6d\n", object ? object->vertexCount : 0);
    printf("  polygons         %6d\n", object ? object->polygonCount : 0);
    printf("  materials        %6d\n", scan->materials);
    printf("  textures found   %6d", foundCount);
    nameList(scan->mapCount, scan->maps, found, 1);
    printf("\n  textures missing %6d", scan->mapCount - foundCount);
    nameList(scan->mapCount, scan->maps, found, 0);
    printf("\n");
    fflush(stdout);
}

/* ---- The view ----------------------------------------------------------------------- */

typedef struct View {
    const Options* options;
    char path[PATH_MAX];
    Object* object;
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

/* Turns the kept shape about the vertical axis (yaw), then about the
 * screen's horizontal axis (pitch), and applies shading and shape. */
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
    obxObjectMove(o, 0.0f, 0.0f, v->distance);
}

/* Loads the file as one object of radius 100, stood up (3D Studio keeps z
 * up) and added to the world, in place of the one before. */
static int viewLoad(View* v)
{
    Object* object = obxObjectLoad(v->path, 0, 100.0f, v->textured);
    if (!object)
        return 0;
    if (v->object)
        obxObjectDelete(v->object);
    v->object = object;
    obxObjectRotate(object, 90.0f, 0.0f, 0.0f);
    if (!viewKeep(v))
        return 0;
    obxObjectAdd(object);
    viewPose(v);
    return 1;
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

static void usage(void)
{
    fprintf(stderr,
            "usage: obx-view FILE.3ds [--headless] [--shot PNG] [--yaw DEG] [--pitch DEG]\n"
            "                [--shading flat|smooth] [--shape solid|outline|points]\n"
            "                [--untextured] [--resolution 0..4]\n");
}

static int optionsRead(int argc, char** argv, Options* o)
{
    memset(o, 0, sizeof *o);
    o->yaw = 215;
    o->pitch = 18;
    o->textured = 1;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : NULL;
        if (strcmp(a, "--headless") == 0) {
            o->headless = 1;
        } else if (strcmp(a, "--untextured") == 0) {
            o->textured = 0;
        } else if (strcmp(a, "--shot") == 0 && value) {
            o->shot = argv[++i];
        } else if (strcmp(a, "--yaw") == 0 && value) {
            o->yaw = atoi(argv[++i]);
        } else if (strcmp(a, "--pitch") == 0 && value) {
            o->pitch = atoi(argv[++i]);
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

/* ---- Running ---------------------------------------------------------------------------- */

static void viewReset(View* v)
{
    v->yaw = v->options->yaw;
    v->pitch = v->options->pitch;
    v->distance = 180.0f;
}

/* Until Escape or the window closes; 1 when a reload failed. */
static int windowRun(View* v)
{
    static const char* const shapes[3] = {"solid", "outline", "points"};
    int shots = 0;
    viewDraw(v);
    SDL_Event event;
    while (eventWait(&event)) {
        if (event.type == SDL_QUIT)
            return 0;
        if (event.type == SDL_WINDOWEVENT) {
            viewDraw(v);   /* shown again after being covered or resized */
            continue;
        }
        if (event.type != SDL_KEYDOWN)
            continue;
        switch (event.key.keysym.sym) {
        case SDLK_ESCAPE:
            return 0;
        case SDLK_LEFT:
            v->yaw += 3;
            break;
        case SDLK_RIGHT:
            v->yaw -= 3;
            break;
        case SDLK_UP:
            v->pitch += 3;
            break;
        case SDLK_DOWN:
            v->pitch -= 3;
            break;
        case SDLK_s:
            v->smooth = !v->smooth;
            printf("obx-view: %s shading\n", v->smooth ? "smooth" : "flat");
            break;
        case SDLK_o:
            v->shape = (v->shape + 1) % 3;
            printf("obx-view: %s\n", shapes[v->shape]);
            break;
        case SDLK_t:
            v->textured = !v->textured;
            if (!viewLoad(v))
                return 1;
            printf("obx-view: %s\n", v->textured ? "textured" : "untextured");
            break;
        case SDLK_PLUS:
        case SDLK_EQUALS:
        case SDLK_KP_PLUS:
            v->distance = v->distance * 0.9f > 120.0f ? v->distance * 0.9f : 120.0f;
            break;
        case SDLK_MINUS:
        case SDLK_KP_MINUS:
            v->distance = v->distance * 1.1f < 2500.0f ? v->distance * 1.1f : 2500.0f;
            break;
        case SDLK_r:
            viewReset(v);
            break;
        case SDLK_F12: {
            char path[64];
            snprintf(path, sizeof path, "obx-view-shot%d.png", ++shots);
            shotWrite(path);
            continue;
        }
        default:
            continue;
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
    if (!optionsRead(argc, argv, &o)) {
        usage();
        return 2;
    }
    View view;
    memset(&view, 0, sizeof view);
    view.options = &o;
    if (!realpath(o.file, view.path)) {
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
    char shot[PATH_MAX] = "";
    if (o.shot) {
        char here[PATH_MAX];
        int n = o.shot[0] == '/' || !getcwd(here, sizeof here)
                    ? snprintf(shot, sizeof shot, "%s", o.shot)
                    : snprintf(shot, sizeof shot, "%s/%s", here, o.shot);
        if (n < 0 || (size_t)n >= sizeof shot) {
            fprintf(stderr, "obx-view: the path %s is too long\n", o.shot);
            return 1;
        }
    }

    dataDirectoryEnter("obx-view");
    SDL_Window* window = windowOpen("Ombrix Viewer", o.resolution, o.headless);
    if (!window)
        setenv("OBX_GLIDE_DISPLAY", "headless", 1);
    HWND handle = window ? (HWND)(uintptr_t)SDL_GetWindowID(window) : NULL;
    if (!obxInitialize(handle, o.resolution)) {
        fprintf(stderr, "Couldn't initialize Ombrix!\n");
        return 1;
    }
    /* Textures are looked for next to the model. */
    char directory[PATH_MAX];
    strcpy(directory, view.path);
    *strrchr(directory, '/') = '\0';
    if (chdir(directory[0] ? directory : "/") != 0)
        fprintf(stderr, "obx-view: cannot enter %s\n", directory);

    view.smooth = o.smooth;
    view.shape = o.shape;
    view.textured = o.textured;
    viewReset(&view);
    int loaded = viewLoad(&view);
    int found[SCAN_NAMES];
    for (int i = 0; i < scan.mapCount; i++)
        found[i] = obxTextureLoad(scan.maps[i], 0) != NULL;
    reportPrint(view.path, &scan, loaded ? view.object : NULL, found);
    if (!loaded) {
        fprintf(stderr, "obx-view: the engine cannot load %s%s\n", o.file,
                !scan.isMain ? ": not a 3D Studio file"
                : scan.damaged ? ": it is damaged"
                               : "");
        obxShutdown();
        return 1;
    }

    const uint32_t extra[3] = {0, 0, 0};
    obxLightsourceAdd(1.0f, 0.97f, 0.9f, -600.0f, 900.0f, -500.0f, 0.0f, NULL, extra);
    obxLightsourceAdd(0.25f, 0.3f, 0.4f, 800.0f, -200.0f, 300.0f, 0.0f, NULL, extra);
    obxAmbientlightLight(0.22f, 0.22f, 0.25f);
    const float backdrop[3] = {30.0f / 255.0f, 34.0f / 255.0f, 44.0f / 255.0f};
    obxBackgroundSetColor(backdrop);

    int code = 0;
    if (window) {
        code = windowRun(&view);
    } else {
        viewDraw(&view);
        if (shot[0] && !shotWrite(shot))
            code = 1;
    }
    obxShutdown();
    if (window) {
        SDL_DestroyWindow(window);
        SDL_Quit();
    }
    free(view.vertices);
    free(view.vertexNormals);
    free(view.faceNormals);
    return code;
}

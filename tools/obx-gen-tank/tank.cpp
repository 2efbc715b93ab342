#include "tank.h"

#include <cmath>

namespace {

const float pi = 3.14159265f;

enum Material { CAMO, TRACK_LINKS, GUN_STEEL, RUNNING_GEAR, ANTENNA, PENNANT };

std::vector<Material3ds> tankMaterials()
{
    return {
        {"HULL_CAMO", {30, 32, 24}, {200, 210, 180}, false, "CAMO.GIF"},
        {"TRACK_LINKS", {10, 10, 10}, {170, 170, 165}, false, "TREAD.GIF"},
        {"GUN_STEEL", {20, 22, 22}, {96, 102, 100}, false, ""},
        {"RUNNING_GEAR", {12, 14, 10}, {58, 64, 50}, false, ""},
        {"ANTENNA", {5, 5, 5}, {30, 30, 30}, true, ""},
        {"PENNANT", {40, 5, 5}, {200, 30, 30}, true, ""},
    };
}

using Ring = std::vector<Vec3>;

Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(Vec3 a, float s)
{
    return {a.x * s, a.y * s, a.z * s};
}
float length(Vec3 a)
{
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}

void addFace(Mesh3ds& m, int material, int a, int b, int c, uint16_t flags)
{
    m.faces.push_back({uint16_t(a), uint16_t(b), uint16_t(c), flags});
    m.faceMaterial.push_back(material);
}

int addPoint(Mesh3ds& m, Vec3 p, Vec2 t)
{
    m.points.push_back(p);
    m.uvs.push_back(t);
    return int(m.points.size()) - 1;
}

// A quad p0..p3, counter-clockwise seen from its front, as two triangles
// whose shared diagonal is marked hidden.
void quad(Mesh3ds& m, int material, const Vec3 p[4], const Vec2 t[4])
{
    int i[4];
    for (int k = 0; k < 4; k++)
        i[k] = addPoint(m, p[k], t[k]);
    addFace(m, material, i[0], i[1], i[2], 4 | 2);
    addFace(m, material, i[0], i[2], i[3], 2 | 1);
}

// The side between two rings of equal size, each counter-clockwise about the
// direction from a to b; u runs along the ring by length, v from a to b.
void band(Mesh3ds& m, int material, const Ring& a, const Ring& b)
{
    size_t n = a.size();
    std::vector<float> u(n + 1, 0.0f);
    for (size_t k = 0; k < n; k++)
        u[k + 1] = u[k] + length(a[(k + 1) % n] - a[k]);
    for (size_t k = 0; k <= n; k++)
        u[k] /= u[n];
    for (size_t k = 0; k < n; k++) {
        size_t k1 = (k + 1) % n;
        const Vec3 p[4] = {a[k], a[k1], b[k1], b[k]};
        const Vec2 t[4] = {{u[k], 1}, {u[k + 1], 1}, {u[k + 1], 0}, {u[k], 0}};
        quad(m, material, p, t);
    }
}

// A convex ring of at least four points closed by a fan, facing the way the
// ring turns counter-clockwise (or the other way when flipped). Texture
// coordinates map the ring's bounding box in its two widest axes onto 0..1.
void cap(Mesh3ds& m, int material, Ring ring, bool flipped)
{
    if (flipped)
        ring = Ring(ring.rbegin(), ring.rend());
    Vec3 lo = ring[0], hi = ring[0];
    for (const Vec3& p : ring) {
        lo = {std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z)};
        hi = {std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z)};
    }
    Vec3 size = hi - lo;
    int first = int(m.points.size());
    for (const Vec3& p : ring) {
        float c[3] = {size.x > 0 ? (p.x - lo.x) / size.x : 0,
                      size.y > 0 ? (p.y - lo.y) / size.y : 0,
                      size.z > 0 ? (p.z - lo.z) / size.z : 0};
        // Drop the flattest axis.
        int flat = size.x <= size.y && size.x <= size.z ? 0 : size.y <= size.z ? 1 : 2;
        int a0 = flat == 0 ? 1 : 0, a1 = flat == 2 ? 1 : 2;
        addPoint(m, p, Vec2{c[a0], 1 - c[a1]});
    }
    int n = int(ring.size());
    for (int i = 1; i + 1 < n; i++) {
        uint16_t flags = 2;   // the rim edge
        if (i == 1)
            flags |= 4;   // first spoke is the rim too
        if (i + 1 == n - 1)
            flags |= 1;   // so is the last
        addFace(m, material, first, first + i, first + i + 1, flags);
    }
}

// A closed prism: a profile in the (y, z) plane, counter-clockwise with y to
// the right and z up, swept from x0 to x1.
void prism(Mesh3ds& m, int material, const std::vector<Vec2>& profile, float x0, float x1)
{
    Ring a, b;
    for (const Vec2& p : profile) {
        a.push_back({x0, p.u, p.v});
        b.push_back({x1, p.u, p.v});
    }
    band(m, material, a, b);
    cap(m, material, b, false);
    cap(m, material, a, true);
}

// A ring of n points around centre in the plane spanned by e1 and e2, turning
// counter-clockwise about e1 x e2.
Ring circle(Vec3 centre, Vec3 e1, Vec3 e2, float r1, float r2, int n)
{
    Ring ring;
    for (int k = 0; k < n; k++) {
        float angle = 2 * pi * float(k) / float(n);
        ring.push_back(centre + e1 * (r1 * std::cos(angle)) + e2 * (r2 * std::sin(angle)));
    }
    return ring;
}

// A closed cylinder or frustum between two rings.
void solid(Mesh3ds& m, int material, const Ring& a, const Ring& b, int capMaterial)
{
    band(m, material, a, b);
    cap(m, capMaterial, b, false);
    cap(m, capMaterial, a, true);
}

Mesh3ds hull()
{
    Mesh3ds m{"Hull", {}, {}, {}, {}};
    prism(m, CAMO, {{-2.9f, 0.35f}, {2.6f, 0.35f}, {3.3f, 1.05f}, {-3.2f, 1.05f}, {-3.3f, 0.8f}},
          -1.3f, 1.3f);
    prism(m, CAMO, {{-3.2f, 1.05f}, {3.3f, 1.05f}, {2.1f, 1.6f}, {-3.0f, 1.6f}}, -2.05f, 2.05f);
    return m;
}

Mesh3ds turret()
{
    Mesh3ds m{"Turret", {}, {}, {}, {}};
    const Vec3 x = {1, 0, 0}, y = {0, 1, 0}, z = {0, 0, 1};
    solid(m, CAMO, circle({0, -0.3f, 1.6f}, x, y, 1.25f, 1.5f, 12),
          circle({0, -0.4f, 2.35f}, x, y, 0.95f, 1.15f, 12), CAMO);
    prism(m, CAMO, {{0.95f, 1.75f}, {1.35f, 1.8f}, {1.35f, 2.2f}, {0.95f, 2.25f}}, -0.35f,
          0.35f);   // mantlet
    solid(m, CAMO, circle({0.45f, -0.8f, 2.3f}, x, y, 0.3f, 0.3f, 10),
          circle({0.45f, -0.8f, 2.55f}, x, y, 0.28f, 0.28f, 10),
          CAMO);   // commander's cupola
    (void)z;
    return m;
}

Mesh3ds barrel()
{
    Mesh3ds m{"Barrel", {}, {}, {}, {}};
    const Vec3 x = {1, 0, 0}, z = {0, 0, 1};   // z x x = +y, the barrel's direction
    solid(m, GUN_STEEL, circle({0, 1.3f, 2.0f}, z, x, 0.11f, 0.11f, 12),
          circle({0, 4.9f, 2.0f}, z, x, 0.11f, 0.11f, 12), GUN_STEEL);
    solid(m, GUN_STEEL, circle({0, 4.9f, 2.0f}, z, x, 0.17f, 0.17f, 12),
          circle({0, 5.3f, 2.0f}, z, x, 0.17f, 0.17f, 12),
          GUN_STEEL);   // muzzle brake
    return m;
}

// One track: a stadium-shaped belt around two wheels of radius 0.55 whose
// centres are 5.1 apart, between x0 and x1 (x0 < x1).
Mesh3ds track(const char* name, float x0, float x1)
{
    Mesh3ds m{name, {}, {}, {}, {}};
    const float r = 0.55f, front = 2.55f, rear = -2.55f, axle = 0.55f;
    std::vector<Vec2> profile;
    for (int i = 0; i <= 8; i++) {
        float a = -pi / 2 + pi * float(i) / 8;
        profile.push_back({front + r * std::cos(a), axle + r * std::sin(a)});
    }
    for (int i = 0; i <= 8; i++) {
        float a = pi / 2 + pi * float(i) / 8;
        profile.push_back({rear + r * std::cos(a), axle + r * std::sin(a)});
    }
    Ring a, b;
    for (const Vec2& p : profile) {
        a.push_back({x0, p.u, p.v});
        b.push_back({x1, p.u, p.v});
    }
    band(m, TRACK_LINKS, a, b);
    cap(m, RUNNING_GEAR, b, false);
    cap(m, RUNNING_GEAR, a, true);
    return m;
}

// Five road wheels standing out of a track's outer face at x = face, on the
// side given by outward (+1 right, -1 left).
Mesh3ds wheels(const char* name, float face, float outward)
{
    Mesh3ds m{name, {}, {}, {}, {}};
    const Vec3 x = {1, 0, 0}, y = {0, 1, 0}, z = {0, 0, 1};
    for (int i = 0; i < 5; i++) {
        float wy = -2.0f + float(i);
        // Rings counter-clockwise about the wheel's axis pointing from a to b (y x z = +x).
        Vec3 inner = {face, wy, 0.5f}, outer = {face + 0.12f * outward, wy, 0.5f};
        if (outward > 0)
            solid(m, RUNNING_GEAR, circle(inner, y, z, 0.42f, 0.42f, 12),
                  circle(outer, y, z, 0.42f, 0.42f, 12), RUNNING_GEAR);
        else
            solid(m, RUNNING_GEAR, circle(inner, z, y, 0.42f, 0.42f, 12),
                  circle(outer, z, y, 0.42f, 0.42f, 12), RUNNING_GEAR);
    }
    (void)x;
    return m;
}

Mesh3ds antenna()
{
    Mesh3ds m{"Antenna", {}, {}, {}, {}};
    const float x = -0.6f, y = -1.2f;
    const Vec3 rod[4] = {
        {x, y - 0.02f, 2.35f}, {x, y + 0.02f, 2.35f}, {x, y + 0.02f, 3.8f}, {x, y - 0.02f, 3.8f}};
    const Vec2 t[4] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    quad(m, ANTENNA, rod, t);
    const Vec3 flag[4] = {
        {x, y - 0.02f, 3.5f}, {x, y - 0.02f, 3.78f}, {x, y - 0.6f, 3.7f}, {x, y - 0.6f, 3.62f}};
    quad(m, PENNANT, flag, t);
    return m;
}

}   // namespace

Scene3ds tankScene()
{
    Scene3ds scene;
    scene.materials = tankMaterials();
    scene.meshes = {hull(),
                    turret(),
                    barrel(),
                    track("TrackLeft", -2.0f, -1.35f),
                    track("TrackRight", 1.35f, 2.0f),
                    wheels("WheelsLeft", -2.0f, -1.0f),
                    wheels("WheelsRight", 2.0f, 1.0f),
                    antenna()};
    return scene;
}

// Math: the whole-degree sine and cosine tables, the seven-bit table square
// root, the matrix builders and the point transform every subsystem uses.
// Everything is single precision; the exported functions (DegToRad,
// CrossProduct3d, VectorLenght, MatXVer, MatXVerToDrawVer,
// MatXDrawVerToDrawVer) are declared in the public header.
#ifndef OBX_MATH_MATH3D_H
#define OBX_MATH_MATH3D_H

#include <stdint.h>

#include "public.h"

// Entry d holds cos and sin of d whole degrees, d = 0..360.
extern float cosTable[361];
extern float sinTable[361];
// Mantissas of the square roots of 1 + i/128 (entries 0..127) and of
// 2 * (1 + i/128) (entries 128..255).
extern uint32_t sqrtTable[256];

void angleTablesInit(void);
void sqrtTableInit(void);

// The table index of an angle: truncated toward zero; angles outside 0..360
// wrap into 0..359 so that any float a caller passes stays inside the tables.
int angleIndex(float degrees);

float fastSqrt(float x);
double radToDeg(float radians);
// Summed in float in the order x, y, z. Inline: the landscape's back-face
// test takes two for every leaf in view.
static inline double dotProduct(const float* a, const float* b)
{
    float sum = a[0] * b[0];
    sum += a[1] * b[1];
    sum += a[2] * b[2];
    return sum;
}

void matrixIdentity(Matrix* m);
void matrixTranslation(Matrix* m, float tx, float ty, float tz);
void matrixRotationX(Matrix* m, float degrees);
void matrixRotationY(Matrix* m, float degrees);
void matrixRotationZ(Matrix* m, float degrees);
void matrixMultiply(const Matrix* a, Matrix* b);   // b := a * b
void matrixCopy(const Matrix* src, Matrix* dst);

// out = (x, y, z) * m, each component summed in the order x, y, z, translation.
static inline void transformPoint(const Matrix* m, float x, float y, float z, float* outX,
                                  float* outY, float* outZ)
{
    float rx = x * m->m[0][0];
    rx += y * m->m[1][0];
    rx += z * m->m[2][0];
    rx += m->m[3][0];
    *outX = rx;
    float ry = x * m->m[0][1];
    ry += y * m->m[1][1];
    ry += z * m->m[2][1];
    ry += m->m[3][1];
    *outY = ry;
    float rz = x * m->m[0][2];
    rz += y * m->m[1][2];
    rz += z * m->m[2][2];
    rz += m->m[3][2];
    *outZ = rz;
}

#endif

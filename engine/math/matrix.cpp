// Matrix builders and the matrix product (row vectors, translation in row 3).
#include <string.h>

#include "math/math3d.h"

void matrixIdentity(Matrix* m)
{
    memset(m, 0, sizeof *m);
    m->m[0][0] = 1.0f;
    m->m[1][1] = 1.0f;
    m->m[2][2] = 1.0f;
    m->m[3][3] = 1.0f;
}

void matrixTranslation(Matrix* m, float tx, float ty, float tz)
{
    matrixIdentity(m);
    m->m[3][0] = tx;
    m->m[3][1] = ty;
    m->m[3][2] = tz;
}

void matrixRotationX(Matrix* m, float degrees)
{
    int i = angleIndex(degrees);
    matrixIdentity(m);
    m->m[1][1] = cosTable[i];
    m->m[1][2] = sinTable[i];
    m->m[2][1] = -sinTable[i];
    m->m[2][2] = cosTable[i];
}

void matrixRotationY(Matrix* m, float degrees)
{
    int i = angleIndex(degrees);
    matrixIdentity(m);
    m->m[0][0] = cosTable[i];
    m->m[0][2] = -sinTable[i];
    m->m[2][0] = sinTable[i];
    m->m[2][2] = cosTable[i];
}

void matrixRotationZ(Matrix* m, float degrees)
{
    int i = angleIndex(degrees);
    matrixIdentity(m);
    m->m[0][0] = cosTable[i];
    m->m[0][1] = sinTable[i];
    m->m[1][0] = -sinTable[i];
    m->m[1][1] = cosTable[i];
}

void matrixMultiply(const Matrix* a, Matrix* b)
{
    Matrix product;
    for (int row = 0; row < 4; row++) {
        for (int col = 0; col < 4; col++) {
            float sum = a->m[row][0] * b->m[0][col];
            sum += a->m[row][1] * b->m[1][col];
            sum += a->m[row][2] * b->m[2][col];
            sum += a->m[row][3] * b->m[3][col];
            product.m[row][col] = sum;
        }
    }
    *b = product;
}

void matrixCopy(const Matrix* src, Matrix* dst)
{
    memcpy(dst, src, sizeof *dst);
}

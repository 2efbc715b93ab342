// The exported point transforms: one computation, three vertex layouts.
#include "math/math3d.h"

void MatXVer(const Matrix* m, const Ver* in, Ver* out)
{
    if (!m || !in || !out)
        return;
    transformPoint(m, in->x, in->y, in->z, &out->x, &out->y, &out->z);
}

void MatXVerToDrawVer(const Matrix* m, const Ver* in, DrawVer* out)
{
    if (!m || !in || !out)
        return;
    transformPoint(m, in->x, in->y, in->z, &out->x, &out->y, &out->w);
}

void MatXDrawVerToDrawVer(const Matrix* m, const DrawVer* in, DrawVer* out)
{
    if (!m || !in || !out)
        return;
    transformPoint(m, in->x, in->y, in->w, &out->x, &out->y, &out->w);
}

// Drawing attributes read by the world render: shading type, translucency,
// environment mapping and shape.
#include "core/core.h"
#include "object/object.h"

void obxObjectSetShadingType(Object* object, int shadingType)
{
    if (!object)
        return;
    object->shadingType = shadingType;
}

void obxObjectMakeTranslucent(Object* object, uint32_t translucency)
{
    if (!object)
        return;
    object->translucent = 1;
    object->translucency = translucency;
}

void obxObjectDisableTranslucency(Object* object)
{
    if (!object)
        return;
    object->translucent = 0;
}

void obxObjectMakeEnviromentMapped(Object* object, TextureRecord* texture, float alpha)
{
    if (!object)
        return;
    object->envMapped = 1;
    object->envTexture = texture;
    object->envAlpha = alpha;
}

void obxObjectSetEnviromentAlpha(Object* object, float alpha)
{
    if (!object)
        return;
    object->envAlpha = alpha;
}

void obxObjectSetShape(Object* object, int shape)
{
    if (!object)
        return;
    // 0 solid, 1 closed outline, 2 points; anything else keeps the shape.
    if (shape == OBX_SHAPE_SOLID)
        object->shape = GR_TRIANGLE_FAN;
    else if (shape == OBX_SHAPE_OUTLINE)
        object->shape = GR_LINE_STRIP;
    else if (shape == OBX_SHAPE_POINTS)
        object->shape = GR_POINTS;
}

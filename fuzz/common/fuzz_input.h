// The input of a fuzz target read as the values it asks for: past its end,
// zeros.
#ifndef OBX_FUZZ_INPUT_H
#define OBX_FUZZ_INPUT_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool left(size_t n) const
    {
        return at + n <= size;
    }
    uint8_t byte()
    {
        return at < size ? data[at++] : 0;
    }
    float real()
    {
        float f = 0.0f;
        if (left(4))
            memcpy(&f, data + at, 4);
        at += 4;
        return f;
    }
    int32_t word()
    {
        int32_t v = 0;
        if (left(4))
            memcpy(&v, data + at, 4);
        at += 4;
        return v;
    }
    int16_t half()
    {
        return (int16_t)(byte() | (byte() << 8));
    }
};

#endif

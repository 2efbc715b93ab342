// The display gamma: grLoadGammaTable and guGammaCorrectionRGB change what
// the window and the frame dumps show, as the board's output tables did; the
// buffers keep what was drawn.
#include "device.h"

#include <cmath>

void gammaReset(void)
{
    for (int c = 0; c < 3; c++)
        for (int i = 0; i < 256; i++)
            dev.gamma.table[c][i] = (uint8_t)i;
    dev.gamma.identity = true;
}

static void gammaCheckIdentity(void)
{
    bool identity = true;
    for (int c = 0; c < 3; c++)
        for (int i = 0; i < 256; i++)
            identity = identity && dev.gamma.table[c][i] == i;
    dev.gamma.identity = identity;
}

void gammaApply(const Gamma& gamma, const uint16_t* pixels, uint32_t* out, int count)
{
    const uint8_t* r = gamma.table[0];
    const uint8_t* g = gamma.table[1];
    const uint8_t* b = gamma.table[2];
    for (int i = 0; i < count; i++) {
        uint32_t c = expand565(pixels[i]);
        out[i] = 0xFF000000u | ((uint32_t)r[(c >> 16) & 255] << 16) |
                 ((uint32_t)g[(c >> 8) & 255] << 8) | b[c & 255];
    }
}

extern "C" {

// Entries beyond nentries keep their values; each value is an 8-bit output.
void grLoadGammaTable(FxU32 nentries, FxU32* red, FxU32* green, FxU32* blue)
{
    TRACE("grLoadGammaTable(%u, ptr, ptr, ptr)", nentries);
    if (!requireWindow("grLoadGammaTable"))
        return;
    if (!red || !green || !blue) {
        reportError("grLoadGammaTable: null table");
        return;
    }
    FxU32 n = nentries < 256 ? nentries : 256;
    const FxU32* in[3] = {red, green, blue};
    for (int c = 0; c < 3; c++)
        for (FxU32 i = 0; i < n; i++)
            dev.gamma.table[c][i] = (uint8_t)(in[c][i] > 255 ? 255 : in[c][i]);
    gammaCheckIdentity();
}

// Output = 255 * (input / 255) ^ (1 / gamma), rounded, per channel.
void guGammaCorrectionRGB(FxFloat red, FxFloat green, FxFloat blue)
{
    TRACE("guGammaCorrectionRGB(%g, %g, %g)", (double)red, (double)green, (double)blue);
    if (!requireWindow("guGammaCorrectionRGB"))
        return;
    const float gamma[3] = {red, green, blue};
    for (int c = 0; c < 3; c++) {
        if (!(gamma[c] > 0.0f) || !std::isfinite(gamma[c])) {
            reportError("guGammaCorrectionRGB: invalid gamma %g", (double)gamma[c]);
            return;
        }
    }
    for (int c = 0; c < 3; c++)
        for (int i = 0; i < 256; i++) {
            double v = 255.0 * std::pow(i / 255.0, 1.0 / gamma[c]) + 0.5;
            dev.gamma.table[c][i] = (uint8_t)(v > 255.0 ? 255.0 : v);
        }
    gammaCheckIdentity();
}

}   // extern "C"

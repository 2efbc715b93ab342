// obx-gen-data WHAT ARGS...: writes one generated data file (or one family of them).
#include "gen.h"
#include "noise.h"
#include "tex3df.h"

#include <cstdio>
#include <cstring>

bool save3df(const std::string& path, const Image& image, const char* format, bool mipmaps)
{
    std::string error;
    const TexFormat* f = texFormatByOption(format);
    if (!f || !tex3dfWrite(path, image, *f, mipmaps, &error)) {
        fprintf(stderr, "obx-gen-data: %s: %s\n", path.c_str(),
                f ? error.c_str() : "unknown format");
        return false;
    }
    return true;
}

Rgba rgb(double r, double g, double b)
{
    return Rgba{uint8_t(clamp01(r) * 255 + 0.5), uint8_t(clamp01(g) * 255 + 0.5),
                uint8_t(clamp01(b) * 255 + 0.5), 255};
}

int main(int argc, char** argv)
{
    struct Command {
        const char* name;
        const char* arguments;
        int (*run)(const std::vector<std::string>&);
        size_t argumentCount;
    };
    const Command commands[] = {
        {"white", "OUT.3df", genWhite, 1},
        {"init", "OUT.3df BOLD.ttf REGULAR.ttf", genInit, 3},
        {"defaultcs", "OUT.3df MONO.ttf", genDefaultCharset, 2},
        {"charset", "PREFIX MONO.ttf STAMP", genCharacterSet, 3},
        {"terrain", "OUT256.3df OUT64.3df", genTerrain, 2},
        {"grass", "OUT.3df", genGrass, 1},
        {"sky", "FRONT LEFT BACK RIGHT TOP BOTTOM", genSky, 6},
        {"flares", "FLARE1 ... FLARE5", genFlares, 5},
        {"particle", "OUT.3df", genParticle, 1},
        {"smoke", "OUT.3df", genSmoke, 1},
        {"envmap", "OUT.3df", genEnvMap, 1},
        {"camo", "OUT.3df", genCamo, 1},
        {"tread", "OUT.3df", genTread, 1},
        {"logo", "OUT.3df BOLD.ttf", genLogo, 2},
        {"panel", "OUT.3df", genPanel, 1},
    };
    bool help = argc == 2 && strcmp(argv[1], "--help") == 0;
    if (argc >= 2 && !help) {
        std::vector<std::string> args(argv + 2, argv + argc);
        for (const Command& c : commands)
            if (strcmp(argv[1], c.name) == 0 && args.size() == c.argumentCount)
                return c.run(args);
    }
    FILE* out = help ? stdout : stderr;
    fprintf(out, "usage: obx-gen-data WHAT ARGS...\nWrites one family of the data files:\n");
    for (const Command& c : commands)
        fprintf(out, "  obx-gen-data %s %s\n", c.name, c.arguments);
    return help ? 0 : 2;
}

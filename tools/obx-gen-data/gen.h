// obx-gen-data: the textures the engine, the demo and the tests read, made
// from nothing but noise, gradients and Debian's DejaVu fonts.
#ifndef OBX_GEN_DATA_H
#define OBX_GEN_DATA_H

#include "image.h"

#include <string>
#include <vector>

// Writes one 3DF file (format by its obx-texconv name); false and a message
// on stderr on failure.
bool save3df(const std::string& path, const Image& image, const char* format, bool mipmaps);

// Each generator takes its arguments after the subcommand and returns an exit code.
int genWhite(const std::vector<std::string>& args);
int genInit(const std::vector<std::string>& args);
int genLogo(const std::vector<std::string>& args);
int genPanel(const std::vector<std::string>& args);
int genDefaultCharset(const std::vector<std::string>& args);
int genCharacterSet(const std::vector<std::string>& args);
int genTerrain(const std::vector<std::string>& args);
int genGrass(const std::vector<std::string>& args);
int genSky(const std::vector<std::string>& args);
int genFlares(const std::vector<std::string>& args);
int genParticle(const std::vector<std::string>& args);
int genSmoke(const std::vector<std::string>& args);
int genEnvMap(const std::vector<std::string>& args);
int genCamo(const std::vector<std::string>& args);
int genTread(const std::vector<std::string>& args);

Rgba rgb(double r, double g, double b);   // components 0..1, clamped

#endif

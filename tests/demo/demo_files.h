// The data files obx-demo reads, for tests that run its scene in a
// directory of their own.
#ifndef OBX_DEMO_FILES_H
#define OBX_DEMO_FILES_H

#include <string>
#include <vector>

#include "obx_test.h"

inline std::vector<std::string> demoDataFiles(void)
{
    std::vector<std::string> files = engineDataFiles();
    files.insert(files.end(), {"grass.3df",    "terrain256.3df", "sky_front.3df",
                               "sky_left.3df", "sky_back.3df",   "sky_right.3df",
                               "sky_top.3df",  "sky_bottom.3df", "tank.3ds",
                               "CAMO.3df",     "TREAD.3df",      "envmap.3df",
                               "flare1.3df",   "flare2.3df",     "flare3.3df",
                               "flare4.3df",   "flare5.3df",     "particle.3df",
                               "smoke.3df",    "logo.3df",       "panel.3df",
                               "font"});
    return files;
}

#endif

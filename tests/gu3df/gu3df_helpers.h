// Helpers shared by the 3DF reader tests: building 3DF files in memory,
// writing them to a scratch folder, and loading them with our reader or with
// Debian's real libglide3 (opened privately so its symbols never mix with ours).
#ifndef OBX_TESTS_GU3DF_HELPERS_H
#define OBX_TESTS_GU3DF_HELPERS_H

#include <glide.h>
#include <glideutl.h>

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// Four header lines, then table and texels as given.
Bytes make3df(const std::string& format, int smallSize, int largeSize, int ratioW, int ratioH,
              const Bytes& tableAndTexels);
// A header and `count` texel bytes counting up from `first`.
Bytes make3dfCounting(const std::string& format, int smallSize, int largeSize, int ratioW,
                      int ratioH, size_t count, uint8_t first = 1);
Bytes concat(const std::string& text, const Bytes& bytes);

// Writes bytes to a file in the test's scratch folder and returns its path.
// A directory of this test process alone (tests run in parallel, and in
// several checkouts at once), ending in '/'.
const std::string& scratchDir();
std::string writeScratch(const std::string& name, const Bytes& bytes);
Bytes readFile(const std::string& path);

using Gu3dfProc = FxBool (*)(const char*, Gu3dfInfo*);

// One reader under test: ours (linked) or the real one (dlopen).
struct Reader {
    Gu3dfProc getInfo = nullptr;
    Gu3dfProc load = nullptr;
};
Reader ourReader();
// The real library's reader; getInfo is null when it is not installed.
Reader realReader();

// What one reader makes of one file: the info after gu3dfGetInfo and
// gu3dfLoad, and exactly mem_required bytes of texels.
struct Loaded {
    bool infoOk = false;
    bool loadOk = false;
    Gu3dfInfo info{};
    Bytes texels;
};
Loaded loadWith(const Reader& reader, const std::string& path);

#endif

// Malformed, truncated and lying 3DF files fail cleanly: FXFALSE, the info
// left alone, and never a byte read or written outside its buffer (these tests
// also run under AddressSanitizer).
#include "gu3df_helpers.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const uint8_t guard = 0xA5;

Gu3dfInfo sentinelInfo()
{
    Gu3dfInfo info;
    memset(&info, 0x5A, sizeof info);
    return info;
}

bool untouched(const Gu3dfInfo& info)
{
    Gu3dfInfo s = sentinelInfo();
    return memcmp(&info, &s, sizeof info) == 0;
}

// gu3dfGetInfo must refuse the file and leave the info as it was.
void expectRefused(const std::string& name, const Bytes& bytes)
{
    Gu3dfInfo info = sentinelInfo();
    EXPECT_FALSE(gu3dfGetInfo(writeScratch(name, bytes).c_str(), &info)) << name;
    EXPECT_TRUE(untouched(info)) << name;
}

// Loads with a buffer of mem_required bytes followed by guard bytes and
// returns whether the guard survived.
bool loadGuarded(const std::string& path, Gu3dfInfo info, FxBool* result)
{
    Bytes buffer(info.mem_required + 64, guard);
    info.data = buffer.data();
    *result = gu3dfLoad(path.c_str(), &info);
    for (size_t i = info.mem_required; i < buffer.size(); i++)
        if (buffer[i] != guard)
            return false;
    return true;
}

Bytes palette()
{
    Bytes p(1024);
    for (size_t i = 0; i < p.size(); i++)
        p[i] = uint8_t(i);
    return p;
}

}   // namespace

TEST(Gu3dfMalformed, TruncationAtEveryByteFailsCleanly)
{
    const Bytes files[] = {
        make3dfCounting("rgb565", 1, 4, 2, 1, 22),          // 4x2, 2x1, 1x1
        make3df("p8", 1, 2, 1, 2, concat("", palette())),   // palette, then 3 texels
        make3dfCounting("yiq", 2, 2, 1, 1, 80 + 4),         // NCC table, then 4 texels
    };
    int fileIndex = 0;
    for (Bytes full : files) {
        if (fileIndex == 1)
            full.insert(full.end(), {7, 8, 9});
        std::string fullPath = writeScratch("full" + std::to_string(fileIndex) + ".3df", full);
        Gu3dfInfo good{};
        ASSERT_TRUE(gu3dfGetInfo(fullPath.c_str(), &good));
        FxBool result;
        ASSERT_TRUE(loadGuarded(fullPath, good, &result));
        ASSERT_TRUE(result);

        for (size_t length = 0; length < full.size(); length++) {
            SCOPED_TRACE("file " + std::to_string(fileIndex) + " cut at " + std::to_string(length));
            Bytes cut(full.begin(), full.begin() + long(length));
            std::string path = writeScratch("cut.3df", cut);
            Gu3dfInfo info = sentinelInfo();
            EXPECT_FALSE(gu3dfGetInfo(path.c_str(), &info));
            EXPECT_TRUE(untouched(info));
            // Loading with the info of the whole file must fail inside the buffer.
            EXPECT_TRUE(loadGuarded(path, good, &result));
            EXPECT_FALSE(result);
        }
        fileIndex++;
    }
}

TEST(Gu3dfMalformed, BadHeadersAreRefused)
{
    const Bytes texels(200000, 0);
    const char* headers[] = {
        "",
        "3DF v1.1\nrgb565\nlod range: 1 64\naspect ratio: 1 1\n",   // magic is lower case
        " 3df v1.1\nrgb565\nlod range: 1 64\naspect ratio: 1 1\n",
        "3df 1.1\nrgb565\nlod range: 1 64\naspect ratio: 1 1\n",
        "3df v\nrgb565\nlod range: 1 64\naspect ratio: 1 1\n",
        "3df v1.1\n\nrgb565\nlod range: 1 64\naspect ratio: 1 1\n",   // an extra line
        "3df v1.1\n# comment\nrgb565\nlod range: 1 64\naspect ratio: 1 1\n",
        "3df v1.1\nrgb565 x\nlod range: 1 64\naspect ratio: 1 1\n",
        "3df v1.1\nrgb888\nlod range: 1 64\naspect ratio: 1 1\n",
        "3df v1.1\np6666\nlod range: 1 64\naspect ratio: 1 1\n",
        "3df v1.1\n\nlod range: 1 64\naspect ratio: 1 1\n",
        "3df v1.1\nrgb565\nLOD RANGE: 1 64\naspect ratio: 1 1\n",
        "3df v1.1\nrgb565\nlod range: 1\naspect ratio: 1 1\n",
        "3df v1.1\nrgb565\nlod range: 1 64 9\naspect ratio: 1 1\n",
        "3df v1.1\nrgb565\nlod range: 1 64x\naspect ratio: 1 1\n",
        "3df v1.1\nrgb565\nlod range: 64 1\naspect ratio: 1 1\n",   // reversed
        "3df v1.1\nrgb565\nlod range: 0 64\naspect ratio: 1 1\n",
        "3df v1.1\nrgb565\nlod range: 3 64\naspect ratio: 1 1\n",   // not a power of two
        "3df v1.1\nrgb565\nlod range: -1 64\naspect ratio: 1 1\n",
        "3df v1.1\nrgb565\nlod range: 1 4096\naspect ratio: 1 1\n",
        "3df v1.1\nrgb565\nlod range: 1 4294967360\naspect ratio: 1 1\n",
        "3df v1.1\nrgb565\nlod range: 1 64\naspect ratio: 16 1\n",
        "3df v1.1\nrgb565\nlod range: 1 64\naspect ratio: 3 1\n",
        "3df v1.1\nrgb565\nlod range: 1 64\naspect ratio: 2 2\n",
        "3df v1.1\nrgb565\nlod range: 1 64\naspect ratio: 0 0\n",
        "3df v1.1\nrgb565\nlod range: 1 64\naspect ratio: 1\n",
        "3df v1.1\nrgb565\nlod range: 1 64\nASPECT RATIO: 1 1\n",
        "3df v1.1\nrgb565\naspect ratio: 1 1\nlod range: 1 64\n",
        "3df v1.1\nrgb565\nlod range: 1 64\naspect ratio: 1 1",   // no fourth newline
        "3df v1.1 rgb565 lod range: 1 64 aspect ratio: 1 1\n",
    };
    int i = 0;
    for (const char* h : headers)
        expectRefused("bad" + std::to_string(i++) + ".3df", concat(h, texels));

    // A NUL inside the header, and a header longer than 99 bytes.
    Bytes withNul =
        concat(std::string("3df v1.1\nrgb565\0\nlod range: 1 1\naspect ratio: 1 1\n", 49), texels);
    expectRefused("nul.3df", withNul);
    std::string padded =
        "3df v1.1\nrgb565\nlod range: 1 1" + std::string(51, ' ') + "\naspect ratio: 1 1\n";
    ASSERT_EQ(padded.size(), 100u);
    expectRefused("long.3df", concat(padded, texels));
    padded.erase(40, 1);   // 99 bytes are still fine
    Gu3dfInfo info{};
    EXPECT_TRUE(gu3dfGetInfo(writeScratch("long99.3df", concat(padded, texels)).c_str(), &info));

    EXPECT_FALSE(gu3dfGetInfo((scratchDir() + "no-such-file.3df").c_str(), &info));
    EXPECT_FALSE(gu3dfGetInfo(scratchDir().c_str(), &info));   // a directory
}

TEST(Gu3dfMalformed, HeadersThatPromiseMoreThanTheFileHoldsAreRefused)
{
    // 256x256 rgb565 with all levels needs 174762 bytes; the file has 10.
    expectRefused("lying.3df", make3dfCounting("rgb565", 1, 256, 1, 1, 10));
    // Texels complete but the palette is missing.
    expectRefused("nopalette.3df", make3dfCounting("p8", 1, 1, 1, 1, 1));
    // Extra bytes after the texels are allowed, as the real library allows them.
    Gu3dfInfo info{};
    EXPECT_TRUE(gu3dfGetInfo(
        writeScratch("extra.3df", make3dfCounting("i8", 1, 2, 1, 1, 5 + 100)).c_str(), &info));
    EXPECT_EQ(info.mem_required, 5u);
}

TEST(Gu3dfLoad, NeverWritesMoreThanMemRequired)
{
    std::string path = writeScratch("load565.3df", make3dfCounting("rgb565", 1, 8, 1, 1, 170));
    Gu3dfInfo info{};
    ASSERT_TRUE(gu3dfGetInfo(path.c_str(), &info));
    ASSERT_EQ(info.mem_required, 170u);
    FxBool result;

    // A caller that promises a smaller buffer gets a failure and an untouched buffer.
    Gu3dfInfo small = info;
    small.mem_required = 100;
    Bytes buffer(170, guard);
    small.data = buffer.data();
    EXPECT_FALSE(gu3dfLoad(path.c_str(), &small));
    EXPECT_EQ(buffer, Bytes(170, guard));

    // A caller header that needs more than mem_required (a 32-bit format) fails too.
    Gu3dfInfo wider = info;
    wider.header.format = 0x12;
    EXPECT_TRUE(loadGuarded(path, wider, &result));
    EXPECT_FALSE(result);

    // Invalid caller headers and a null buffer fail.
    Gu3dfInfo bad = info;
    bad.header.small_lod = 4;
    bad.header.large_lod = 2;
    EXPECT_TRUE(loadGuarded(path, bad, &result));
    EXPECT_FALSE(result);
    bad = info;
    bad.header.aspect_ratio = 4;
    EXPECT_TRUE(loadGuarded(path, bad, &result));
    EXPECT_FALSE(result);
    bad = info;
    bad.header.format = GR_TEXFMT_RSVD1;
    EXPECT_TRUE(loadGuarded(path, bad, &result));
    EXPECT_FALSE(result);
    bad = info;
    bad.data = nullptr;
    EXPECT_FALSE(gu3dfLoad(path.c_str(), &bad));

    // The texels are read as the caller's header says, like the real library
    // reads them: as 8-bit texels, only the first half of the file's bytes.
    Gu3dfInfo narrow = info;
    narrow.header.format = GR_TEXFMT_INTENSITY_8;
    buffer.assign(170, guard);
    narrow.data = buffer.data();
    ASSERT_TRUE(gu3dfLoad(path.c_str(), &narrow));
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[84], 85);
    EXPECT_EQ(buffer[85], guard);
}

TEST(Gu3dfLoad, AFileWhoseHeaderWentBadFailsAndMissingFilesFail)
{
    std::string path = writeScratch("changing.3df", make3dfCounting("i8", 1, 2, 1, 1, 5));
    Gu3dfInfo info{};
    ASSERT_TRUE(gu3dfGetInfo(path.c_str(), &info));
    writeScratch("changing.3df", concat("garbage\n\n\n\n", Bytes(5, 1)));
    FxBool result;
    EXPECT_TRUE(loadGuarded(path, info, &result));
    EXPECT_FALSE(result);
    EXPECT_TRUE(loadGuarded(scratchDir() + "no-such-file.3df", info, &result));
    EXPECT_FALSE(result);
    EXPECT_FALSE(gu3dfGetInfo(nullptr, &info));
    EXPECT_FALSE(gu3dfLoad(path.c_str(), nullptr));
}

#include "gu3df_helpers.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdlib.h>
#include <fstream>
#include <iterator>

Bytes concat(const std::string& text, const Bytes& bytes)
{
    Bytes out(text.begin(), text.end());
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

Bytes make3df(const std::string& format, int smallSize, int largeSize, int ratioW, int ratioH,
              const Bytes& tableAndTexels)
{
    std::string header = "3df v1.1\n" + format + "\nlod range: " + std::to_string(smallSize) + " " +
                         std::to_string(largeSize) + "\naspect ratio: " + std::to_string(ratioW) +
                         " " + std::to_string(ratioH) + "\n";
    return concat(header, tableAndTexels);
}

Bytes make3dfCounting(const std::string& format, int smallSize, int largeSize, int ratioW,
                      int ratioH, size_t count, uint8_t first)
{
    Bytes texels(count);
    for (size_t i = 0; i < count; i++)
        texels[i] = uint8_t(first + i);
    return make3df(format, smallSize, largeSize, ratioW, ratioH, texels);
}

const std::string& scratchDir()
{
    // Never destroyed, so the exit handler can still read it.
    static const std::string* dir = [] {
        std::string pattern = ::testing::TempDir() + "obx-gu3df-XXXXXX";
        const char* made = mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr) << pattern;
        if (!made)
            return new std::string(::testing::TempDir());
        atexit([] { std::filesystem::remove_all(scratchDir()); });
        return new std::string(std::string(made) + "/");
    }();
    return *dir;
}

std::string writeScratch(const std::string& name, const Bytes& bytes)
{
    std::string path = scratchDir() + name;
    FILE* f = fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr) << path;
    if (f) {
        if (!bytes.empty())
            fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    return path;
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Reader ourReader()
{
    Reader r;
    r.getInfo = gu3dfGetInfo;
    r.load = gu3dfLoad;
    return r;
}

Reader realReader()
{
    static Reader real = [] {
        Reader r;
        // By path and RTLD_LOCAL: a second libglide3.so.3 beside ours, whose
        // symbols never take the place of ours.
        void* lib = dlopen("/usr/lib/libglide3.so.3", RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return r;
        r.getInfo = reinterpret_cast<Gu3dfProc>(dlsym(lib, "gu3dfGetInfo"));
        r.load = reinterpret_cast<Gu3dfProc>(dlsym(lib, "gu3dfLoad"));
        if (!r.getInfo || !r.load)
            r = Reader();
        return r;
    }();
    return real;
}

Loaded loadWith(const Reader& reader, const std::string& path)
{
    Loaded out;
    memset(&out.info, 0, sizeof out.info);
    out.infoOk = reader.getInfo(path.c_str(), &out.info) == FXTRUE;
    if (!out.infoOk)
        return out;
    out.texels.assign(out.info.mem_required, 0);
    out.info.data = out.texels.data();
    out.loadOk = reader.load(path.c_str(), &out.info) == FXTRUE;
    out.info.data = nullptr;
    return out;
}

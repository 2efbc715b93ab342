// The few POSIX calls the tests use, for the Windows build (MinGW, under
// Wine): included ahead of every test source there. Files are copied where
// Linux links them; a directory's mode bits are not kept.
#ifndef OBX_TEST_WIN32_COMPAT_H
#define OBX_TEST_WIN32_COMPAT_H
#ifdef __cplusplus

#define _USE_MATH_DEFINES   // M_PI
#include <direct.h>
#include <io.h>
#include <process.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

// Windows' headers define near and far away; tests use them as names.
#include <windows.h>
#undef near
#undef far

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

inline int setenv(const char* name, const char* value, int overwrite)
{
    if (!overwrite && getenv(name))
        return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

inline int unsetenv(const char* name)
{
    return _putenv_s(name, "") == 0 ? 0 : -1;
}

inline int mkdir(const char* path, int /*mode*/)
{
    return _mkdir(path);
}

// A fresh directory: the Xs at the end of the template become random letters.
inline char* mkdtemp(char* pattern)
{
    static std::mt19937 random{(unsigned)_getpid() * 2654435761u};
    std::string text = pattern;
    size_t xs = text.rfind("XXXXXX");
    if (xs == std::string::npos)
        return nullptr;
    for (int attempt = 0; attempt < 100; attempt++) {
        for (size_t i = 0; i < 6; i++)
            pattern[xs + i] = "abcdefghijklmnopqrstuvwxyz0123456789"[random() % 36];
        if (_mkdir(pattern) == 0)
            return pattern;
    }
    return nullptr;
}

// Windows programs need rights to make links: the file, or the folder with
// the files it holds, is copied. Files whose names Windows cannot hold (a
// glyph file of '*' or '?') are left out.
inline int symlink(const char* target, const char* path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_directory(target, error))
        return fs::copy_file(target, path, error) ? 0 : -1;
    if (!fs::create_directory(path, error))
        return -1;
    for (const fs::directory_entry& entry : fs::directory_iterator(target, error)) {
        std::error_code ignored;
        fs::copy_file(entry.path(), fs::path(path) / entry.path().filename(), ignored);
    }
    return error ? -1 : 0;
}

#endif
#endif

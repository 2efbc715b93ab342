/*
 * Ombrix helpers (libOmbrixUtil): what most programs over the engine need
 * besides ombrix.h. They are not part of the engine's interface and call it
 * only through ombrix.h and Glide.
 *
 * Link with Ombrix::Util (CMake) or `pkg-config --libs ombrix-util`.
 */
#ifndef OMBRIX_UTIL_H
#define OMBRIX_UTIL_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define OBXUTILAPI __cdecl
#else
#define OBXUTILAPI
#endif

/*
 * The engine reads its own data files, "white.3df", "Init.3df" and
 * "DefaultCS.3df", from the current directory, and obxInitialize fails
 * without "white.3df" (without a word as to why). Call one of these two
 * before obxInitialize.
 *
 * ombrixDataDirFind looks for the three files, in this order, in:
 *   1. the current directory;
 *   2. the directory the running program lies in;
 *   3. ../share/ombrix beside that directory (a program installed in bin/);
 *   4. the directory this library lies in (a build tree, where the data
 *      files are generated beside the libraries);
 *   5. the share/ombrix directory of the installation this library belongs
 *      to (a program built against an installed Ombrix).
 * It returns the first directory that holds all three (an absolute path,
 * valid until the next call; "." for the current directory). When none
 * does, it returns null and, when `program` is not null, says on standard
 * error, under that name, which files are missing and where it looked.
 *
 * ombrixDataDirEnter does the same and makes the directory found the
 * current one; 1 on success, 0 when the files were not found or the
 * directory could not be entered (said on standard error). Work out paths
 * of the program's own files (arguments, output directories) before it:
 * relative paths then mean something else. The engine writes its log,
 * "Ombrix.log", into the directory entered; where the program may not
 * write (an installed /usr/share/ombrix) there is no log.
 *
 * Files the application loads itself (models, textures, fonts) are read
 * from wherever the engine is told; a program that keeps them with the
 * data files can name them relative to the directory entered.
 */
const char* OBXUTILAPI ombrixDataDirFind(const char* program);
int OBXUTILAPI ombrixDataDirEnter(const char* program);

/*
 * Saves the frame on the screen (the front buffer: the frame last shown by
 * obxWorldDisplay or obxWorldRender(1)) as an RGB PNG file of the screen's
 * size, each channel of the 5-6-5 pixels widened by repeating its top bits.
 * Call it after obxInitialize and before obxShutdown, and not while the
 * focus is lost. Returns 1 on success; 0 when the frame cannot be read or
 * the file cannot be written, with a message on standard error.
 */
int OBXUTILAPI ombrixFrameSave(const char* pngPath);

#ifdef __cplusplus
}
#endif

#endif /* OMBRIX_UTIL_H */

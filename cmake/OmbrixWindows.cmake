# What a Windows build (cmake/mingw-w64.cmake) needs beside the sources
# shared with Linux. Included by the top-level CMakeLists.txt when WIN32.

# The Glide SDK's 3dfx.h gives its functions __stdcall for Microsoft's
# compiler only and nothing it knows for MinGW: GCC must call glide3x.dll the
# way every Windows Glide program does.
add_compile_definitions(__MSC__)
add_compile_definitions(WIN32_LEAN_AND_MEAN)
# The 32-bit build computes floats in SSE registers like the 64-bit one (each
# operation rounded to single precision, the same pictures), and the device's
# pixel loops need SSE2 anyway.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_options(-msse2 -mfpmath=sse)
endif()
# The C++ runtime, libgcc and winpthreads are linked in: a program needs only
# OmbrixDll.dll and glide3x.dll beside it.
add_link_options(-static -static-libgcc -static-libstdc++)

# Debian's header-only PNG writer (libstb-dev); its folder holds only stb.
find_path(STB_INCLUDE_DIR stb_image_write.h PATHS /usr/include/stb REQUIRED NO_DEFAULT_PATH
  NO_CMAKE_FIND_ROOT_PATH)
# Sources that name it <stb/...>: a folder holding only that one.
set(STB_PARENT_INCLUDE_DIR ${CMAKE_BINARY_DIR}/stb-include)
file(MAKE_DIRECTORY ${STB_PARENT_INCLUDE_DIR})
file(CREATE_LINK ${STB_INCLUDE_DIR} ${STB_PARENT_INCLUDE_DIR}/stb SYMBOLIC)

# libpng's simplified interface, as the tools' image code and the tests use
# it: a stand-in over stb_image and stb_image_write.
add_library(PNG::PNG INTERFACE IMPORTED)
target_include_directories(PNG::PNG INTERFACE ${PROJECT_SOURCE_DIR}/tools/common/png_stb
  ${STB_INCLUDE_DIR})

# The data files are made by the generators of a Linux build (they need
# FreeType and libpng): OBX_HOST_RUN_DIR is its run directory.
set(OBX_HOST_RUN_DIR "${PROJECT_SOURCE_DIR}/build/run" CACHE PATH
  "Run directory of a Linux build holding the data files")

# GoogleTest from Debian's sources, built with MinGW. Test programs are
# listed when the tests run (under Wine), not at build time.
if(OBX_TESTS)
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()

# Resources of executables are compiled by windres (OmbrixResources.cmake).
enable_language(RC)

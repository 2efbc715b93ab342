# Cross build for Windows with Debian's MinGW-w64:
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake            (x86_64)
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DOBX_WINDOWS_ARCH=i686
# scripts/build-windows.sh does both. The posix flavour of the compilers is
# the one with std::thread. x86_64 programs run under Debian's wine64, which
# also runs the tests; these machines cannot run 32-bit programs.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT OBX_WINDOWS_ARCH)
  set(OBX_WINDOWS_ARCH x86_64)
endif()
if(NOT OBX_WINDOWS_ARCH MATCHES "^(x86_64|i686)$")
  message(FATAL_ERROR "OBX_WINDOWS_ARCH must be x86_64 or i686")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OBX_WINDOWS_ARCH)
set(CMAKE_SYSTEM_PROCESSOR ${OBX_WINDOWS_ARCH})
set(OBX_MINGW_PREFIX ${OBX_WINDOWS_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${OBX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OBX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${OBX_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${OBX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(OBX_WINDOWS_ARCH STREQUAL "x86_64" AND EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
endif()

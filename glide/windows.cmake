# glide3x.dll: the device as Windows programs find it, presenting with GDI and
# exporting the Glide 3 functions under the names Windows Glide programs
# import (cmake/GlideExports.cmake).
set(_def ${CMAKE_CURRENT_BINARY_DIR}/glide3x.def)
set(_import_def ${CMAKE_CURRENT_BINARY_DIR}/glide3x-import.def)
set_target_properties(glide3 PROPERTIES OUTPUT_NAME glide3x PREFIX "" IMPORT_PREFIX lib)
target_include_directories(glide3 PRIVATE ${STB_INCLUDE_DIR})
target_link_libraries(glide3 PRIVATE gdi32 user32 synchronization)
add_custom_command(TARGET glide3 PRE_LINK
  COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DARCH=${OBX_WINDOWS_ARCH}
          "-DOBJECTS=$<JOIN:$<TARGET_OBJECTS:glide3>,|>" -DDEF=${_def} -DIMPORT_DEF=${_import_def}
          -P ${PROJECT_SOURCE_DIR}/cmake/GlideExports.cmake
  VERBATIM)
target_link_options(glide3 PRIVATE ${_def} -Wl,--no-undefined)
if(OBX_WINDOWS_ARCH STREQUAL "i686")
  find_program(OBX_DLLTOOL ${OBX_MINGW_PREFIX}-dlltool REQUIRED)
  add_custom_command(TARGET glide3 POST_BUILD
    COMMAND ${OBX_DLLTOOL} -d ${_import_def} -D glide3x.dll -l $<TARGET_LINKER_FILE:glide3>
    VERBATIM)
endif()
# FxU32 and FxI32 are long on Windows (32 bits, like int there): the trace and
# error texts' %u and %d print them right, but GCC's format check objects.
target_compile_options(glide3 PRIVATE -Wno-format)
target_compile_options(glide3-stages-avx2 PRIVATE -Wno-format)
# 64-bit Windows keeps its stack 16-byte aligned, and GCC's spills of 32-byte
# AVX registers assume 32 there: all vector moves are assembled unaligned.
foreach(_target glide3 glide3-stages-avx2)
  target_compile_options(${_target} PRIVATE -Wa,-muse-unaligned-vector-move)
endforeach()

# What `cmake --install` puts where, the CMake package (find_package(Ombrix)),
# ombrix.pc for pkg-config and the Debian package made by CPack.
#
#   include/ombrix.h, ombrix_util.h        the engine's header, the helpers'
#   include/ombrix/obx_glide_ext.h         the device's extensions
#   lib/libOmbrixDll.so.0.37 (.so.0, .so)  the engine
#   lib/libOmbrixUtil.so.0.37 (.so.0, .so) the helpers: data files, saving a frame
#   lib/ombrix/libglide3.so.3              the software Glide device, private
#   lib/cmake/Ombrix/, lib/pkgconfig/      the CMake package, ombrix.pc
#   bin/obx-demo, obx-view, obx-texconv    the programs
#   share/ombrix/                          the data files
#   share/doc/ombrix/                      README, LICENSE, pictures, examples
#
# The device has the soname of Debian's real libglide3 (libglide3.so.3), so
# it is kept out of the linker's own directories: the engine finds it through
# its RUNPATH ($ORIGIN/ombrix), and nothing else on the machine sees it.
# Every path that is stored is relative to where the files lie, so the tree
# can be installed under any prefix, and the .deb under /usr.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(OBX_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Ombrix)
set(OBX_INSTALL_DEVICEDIR ${CMAKE_INSTALL_LIBDIR}/ombrix)
set(OBX_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/ombrix)
set(OBX_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/ombrix)

# Only relative paths are stored (see above).
foreach(_dir LIBDIR BINDIR INCLUDEDIR DATADIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${_dir}}")
    message(FATAL_ERROR "CMAKE_INSTALL_${_dir} must be relative to the prefix")
  endif()
endforeach()

# The version is the one obxGetVersion reports and ombrix.h names.
file(STRINGS ${PROJECT_SOURCE_DIR}/include/ombrix.h _version_lines
  REGEX "^#define OMBRIX_VERSION_(MAJOR|MINOR) +[0-9]")
string(REGEX REPLACE ".*MAJOR +([0-9]+).*" "\\1" _major "${_version_lines}")
string(REGEX REPLACE ".*MINOR +([0-9]+).*" "\\1" _minor "${_version_lines}")
if(NOT "${_major}.${_minor}" STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "ombrix.h says version ${_major}.${_minor}, the project ${PROJECT_VERSION}")
endif()
if(NOT WIN32)
  set_target_properties(OmbrixDll PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
endif()

# The headers as the build sees them and as an installed tree lays them out.
set_target_properties(OmbrixDll PROPERTIES
  EXPORT_NAME Ombrix
  INTERFACE_INCLUDE_DIRECTORIES
    "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>;$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
set_target_properties(glide3 PROPERTIES
  EXPORT_NAME Glide3
  INTERFACE_INCLUDE_DIRECTORIES
    "$<BUILD_INTERFACE:${GLIDE3_INCLUDE_DIR};${PROJECT_SOURCE_DIR}/glide/include>;$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/ombrix>")

if(NOT WIN32)
  # RUNPATHs from each installed file to the libraries it needs.
  file(RELATIVE_PATH _bin_to_lib /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
  set_target_properties(OmbrixDll PROPERTIES INSTALL_RPATH "$ORIGIN/ombrix")
  set_target_properties(glide3 PROPERTIES INSTALL_RPATH "")
  # The device's directory first: the engine's own may hold Debian's
  # libglide3.so.3 (/usr/lib), which must not be taken for it.
  set(_program_rpath "$ORIGIN/${_bin_to_lib}/ombrix;$ORIGIN/${_bin_to_lib}")
endif()

install(TARGETS OmbrixDll EXPORT OmbrixTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS glide3 EXPORT OmbrixTargets
  LIBRARY DESTINATION ${OBX_INSTALL_DEVICEDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${OBX_INSTALL_DEVICEDIR})
if(TARGET OmbrixUtil)
  set_target_properties(OmbrixUtil PROPERTIES EXPORT_NAME Util)
  if(NOT WIN32)
    set_target_properties(OmbrixUtil PROPERTIES INSTALL_RPATH "$ORIGIN/ombrix;$ORIGIN")
  endif()
  install(TARGETS OmbrixUtil EXPORT OmbrixTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/include/ombrix_util.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/include/ombrix.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/glide/include/obx_glide_ext.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ombrix)

# The programs.
foreach(_program obx-demo obx-view obx-texconv)
  if(TARGET ${_program})
    if(NOT WIN32)
      set_target_properties(${_program} PROPERTIES INSTALL_RPATH "${_program_rpath}")
    endif()
    install(TARGETS ${_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The data files, as the build generated them into the run directory.
set(_data white.3df Init.3df DefaultCS.3df terrain256.3df terrain64.3df grass.3df
  sky_front.3df sky_left.3df sky_back.3df sky_right.3df sky_top.3df sky_bottom.3df
  flare1.3df flare2.3df flare3.3df flare4.3df flare5.3df particle.3df smoke.3df envmap.3df
  logo.3df panel.3df tank.3ds CAMO.3df TREAD.3df)
list(TRANSFORM _data PREPEND ${OBX_RUN_DIR}/)
install(FILES ${_data} DESTINATION ${OBX_INSTALL_DATADIR})
install(DIRECTORY ${OBX_RUN_DIR}/font DESTINATION ${OBX_INSTALL_DATADIR}
  FILES_MATCHING PATTERN "*.3df")

# The documentation.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${OBX_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${OBX_INSTALL_DOCDIR}/docs)
if(EXISTS ${PROJECT_SOURCE_DIR}/examples)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${OBX_INSTALL_DOCDIR}/examples
    FILES_MATCHING PATTERN "*.c" PATTERN "*.h")
endif()

# The CMake package: Ombrix::Ombrix, Ombrix::Util, Ombrix::Glide3 and
# ombrix_add_resource().
install(EXPORT OmbrixTargets NAMESPACE Ombrix:: DESTINATION ${OBX_INSTALL_CMAKEDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/OmbrixConfig.cmake.in
  ${CMAKE_BINARY_DIR}/OmbrixConfig.cmake
  INSTALL_DESTINATION ${OBX_INSTALL_CMAKEDIR}
  PATH_VARS OBX_INSTALL_DATADIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/OmbrixConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/OmbrixConfig.cmake ${CMAKE_BINARY_DIR}/OmbrixConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/OmbrixResources.cmake
  DESTINATION ${OBX_INSTALL_CMAKEDIR})

# pkg-config: ombrix (the engine) and ombrix-util (the helpers). The prefix
# is found from where the file lies.
file(RELATIVE_PATH _pc_to_prefix /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" _pc_to_prefix "${_pc_to_prefix}")
foreach(_pc ombrix ombrix-util)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/${_pc}.pc.in ${CMAKE_BINARY_DIR}/${_pc}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${_pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# The Debian package: `cpack -G DEB` in the build directory makes
# ombrix_<version>_<arch>.deb for /usr.
if(NOT WIN32)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME ombrix)
  set(CPACK_PACKAGE_VENDOR "The Ombrix developers")
  set(CPACK_PACKAGE_CONTACT "The Ombrix developers <ombrix@localhost>")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "real-time 3D engine over Glide 3, with a software Glide 3 device")
  set(CPACK_PACKAGE_DESCRIPTION
    "Ombrix draws lit 3DS models, a landscape with light maps, a sky box, particles, smoke, lens flares and 2D text through the Glide 3 API. The package holds the engine library and its C header, a CMake package and a pkg-config file, its software Glide 3 device (kept in a private directory, apart from Debian's libglide3), the data files, the demo, the model viewer and the texture converter.")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}
    ${CPACK_PACKAGING_INSTALL_PREFIX}/${OBX_INSTALL_DEVICEDIR})
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libglide3-dev, pkg-config, cmake")
  include(CPack)
endif()

# cmake -DNM=... -DARCH=x86_64|i686 -DOBJECTS=a.obj|b.obj -DDEF=glide3x.def
#       -DIMPORT_DEF=glide3x-import.def -P GlideExports.cmake
#
# Writes the export list of glide3x.dll from the gr*/gu* functions its objects
# define (the names Linux exports). The 32-bit Glide SDK declares them
# __stdcall, and Microsoft's linker exports those as "_name@bytes": that is
# the name a Windows Glide program imports, so it is the name exported. The
# import library the engine links maps GCC's own spelling onto it. 64-bit
# Windows has a single calling convention and undecorated names.
string(REPLACE "|" ";" OBJECTS "${OBJECTS}")
execute_process(COMMAND ${NM} -g --defined-only ${OBJECTS}
  OUTPUT_VARIABLE _symbols RESULT_VARIABLE _result)
if(NOT _result EQUAL 0)
  message(FATAL_ERROR "${NM} failed")
endif()
string(REGEX MATCHALL "[0-9a-fA-F]+ T [^\n]+" _lines "${_symbols}")
set(_names "")
foreach(_line ${_lines})
  string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" _name "${_line}")
  if(ARCH STREQUAL "i686")
    string(REGEX REPLACE "^_" "" _name "${_name}")
  endif()
  if(_name MATCHES "^g[ru][A-Za-z0-9_]*(@[0-9]+)?$")
    list(APPEND _names ${_name})
  endif()
endforeach()
list(REMOVE_DUPLICATES _names)
list(SORT _names)
set(_def "LIBRARY glide3x.dll\nEXPORTS\n")
set(_import "LIBRARY glide3x.dll\nEXPORTS\n")
foreach(_name ${_names})
  if(ARCH STREQUAL "i686")
    if(NOT _name MATCHES "@[0-9]+$")
      message(FATAL_ERROR "${_name} is not __stdcall: is __MSC__ defined?")
    endif()
    string(APPEND _def "  _${_name} = ${_name}\n")
    string(APPEND _import "  ${_name} == _${_name}\n")
  else()
    string(APPEND _def "  ${_name}\n")
    string(APPEND _import "  ${_name}\n")
  endif()
endforeach()
file(WRITE ${DEF} "${_def}")
file(WRITE ${IMPORT_DEF} "${_import}")

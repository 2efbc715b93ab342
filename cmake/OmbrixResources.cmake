# ombrix_add_resource(<target> <TYPE> <ID> <file>)
#
# Embeds <file> into the executable <target> as the resource (<TYPE>, <ID>),
# where the engine's resourceRead finds it at run time. On Windows it is a
# Win32 resource of a .rc file. On Linux each resource becomes
# one ELF note (owner "Ombrix") in a section of its own; notes land in the
# program's PT_NOTE segment, which the engine walks through dl_iterate_phdr.
#
# The note's descriptor: u32 id, u32 byte count, the type name NUL-terminated
# and padded to 4 bytes, then the bytes of the file.
#
# A relative <file> is taken from the current source directory. When <file> is
# made by a custom command of another directory, also add_dependencies() from
# <target> to the target that makes it.
function(ombrix_add_resource target type id file)
  if(NOT type MATCHES "^[A-Za-z0-9_]+$")
    message(FATAL_ERROR "ombrix_add_resource: type name '${type}' must be letters, digits and _")
  endif()
  if(NOT id MATCHES "^[0-9]+$" OR id GREATER 65535)
    message(FATAL_ERROR "ombrix_add_resource: id '${id}' must be 0..65535")
  endif()
  get_filename_component(_path "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  if(WIN32)
    # A real Win32 resource: one line of a .rc file, compiled by windres.
    set(_rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_resource_${type}_${id}.rc")
    file(CONFIGURE OUTPUT "${_rc}" @ONLY CONTENT "@id@ @type@ \"@_path@\"\n")
    target_sources(${target} PRIVATE "${_rc}")
    set_source_files_properties("${_rc}" PROPERTIES OBJECT_DEPENDS "${_path}")
    return()
  endif()
  set(_source "${CMAKE_CURRENT_BINARY_DIR}/${target}_resource_${type}_${id}.c")
  set(_section ".note.ombrix.${type}.${id}")
  file(CONFIGURE OUTPUT "${_source}" @ONLY CONTENT
"/* Resource @type@ @id@ of @target@, embedded from @_path@. */
__asm__(
    \".pushsection @_section@, \\\"a\\\", @note\\n\"
    \".balign 4\\n\"
    \".long 7\\n\"                 /* owner name size, with its NUL */
    \".long 2f - 1f\\n\"           /* descriptor size */
    \".long 0x4f425852\\n\"        /* note type */
    \".asciz \\\"Ombrix\\\"\\n\"
    \".balign 4\\n\"
    \"1: .long @id@\\n\"
    \".long 2f - 3f\\n\"           /* byte count */
    \".asciz \\\"@type@\\\"\\n\"
    \".balign 4\\n\"
    \"3: .incbin \\\"@_path@\\\"\\n\"
    \"2: .balign 4\\n\"
    \".popsection\\n\");
")
  target_sources(${target} PRIVATE "${_source}")
  set_source_files_properties("${_source}" PROPERTIES OBJECT_DEPENDS "${_path}")
endfunction()

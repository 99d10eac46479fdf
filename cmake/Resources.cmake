# Embedding files into programs. resources/README.md tells how files are named.
#
# veilbox_add_resources(<target> [DIRECTORY <dir>])
#   Every file in a subfolder of <dir> (default: the project's resources/ folder) is
#   compiled into <target> and found at run time with platform::FindResource: the
#   subfolder's name in capitals is the type, the path below it the name, and a name
#   that starts with a decimal number is also found by that number. Files directly in
#   <dir> (README.md, CMakeLists.txt) are not embedded. New files are picked up when the
#   build runs again.
#
# Each file becomes one generated source that registers itself when the program starts.
# The sources of one folder form an OBJECT library, so their object files reach the
# program's link line whole and the linker cannot drop the registrations as unused. For
# a static library target the objects are handed on to whatever links that library.

include(${CMAKE_CURRENT_LIST_DIR}/VersionRecord.cmake)

set(_VEILBOX_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedResource.cmake)

# The OBJECT library holding the files of one folder, made once however many targets use it.
function(_veilbox_resource_library dir out)
  file(RELATIVE_PATH rel "${CMAKE_SOURCE_DIR}" "${dir}")
  string(MAKE_C_IDENTIFIER "res_${rel}" lib)
  if(TARGET ${lib})
    set(${out} ${lib} PARENT_SCOPE)
    return()
  endif()

  file(GLOB_RECURSE files LIST_DIRECTORIES false CONFIGURE_DEPENDS "${dir}/*/*")
  list(SORT files)
  set(gen_dir "${CMAKE_BINARY_DIR}/generated/${lib}")
  set(sources "")
  foreach(file ${files})
    file(RELATIVE_PATH path "${dir}" "${file}")
    string(FIND "${path}" "/" slash)
    string(SUBSTRING "${path}" 0 ${slash} type)
    math(EXPR name_start "${slash} + 1")
    string(SUBSTRING "${path}" ${name_start} -1 name)
    string(TOUPPER "${type}" type)
    string(MAKE_C_IDENTIFIER "${path}" id)
    set(source "${gen_dir}/${id}.cpp")
    add_custom_command(OUTPUT "${source}"
      COMMAND ${CMAKE_COMMAND} -DINPUT=${file} -DOUTPUT=${source} -DTYPE=${type}
              -DNAME=${name} -P ${_VEILBOX_EMBED_SCRIPT}
      DEPENDS "${file}" ${_VEILBOX_EMBED_SCRIPT}
      COMMENT "Embedding ${rel}/${path}"
      VERBATIM)
    list(APPEND sources "${source}")
  endforeach()
  if(NOT sources)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  add_library(${lib} OBJECT ${sources})
  set(${out} ${lib} PARENT_SCOPE)
  target_link_libraries(${lib} PRIVATE platform)
endfunction()

function(veilbox_add_resources target)
  cmake_parse_arguments(ARG "" "DIRECTORY" "" ${ARGN})
  if(NOT ARG_DIRECTORY)
    set(ARG_DIRECTORY "${CMAKE_SOURCE_DIR}/resources")
  endif()
  get_filename_component(dir "${ARG_DIRECTORY}" ABSOLUTE)
  _veilbox_resource_library("${dir}" lib)
  if(NOT lib)
    return()  # nothing to embed yet
  endif()
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "STATIC_LIBRARY" OR kind STREQUAL "OBJECT_LIBRARY")
    target_link_libraries(${target} INTERFACE $<TARGET_OBJECTS:${lib}>)
  else()
    target_link_libraries(${target} PRIVATE $<TARGET_OBJECTS:${lib}>)
  endif()
endfunction()

# The version record of a program file: the fixed fields and the string table that the
# program reads back from its own file to show its version. It is placed in the ELF
# section ".vbversion" so it can be found in any built file without running it.
#
# Section layout, every number a little-endian 32-bit word:
#   the fixed part, 13 words: signature 0xFEEF04BD, structure version 0x00010000,
#     file version MS, file version LS, product version MS, product version LS,
#     file flags mask 0x3F, file flags 0, OS 4 (32-bit Windows), file type 1
#     (application), file subtype 0, file date MS 0, file date LS 0;
#   then the string table: key and value, each zero-terminated, pair after pair,
#     ended by an empty key.
# The MS word of a version holds major << 16 | minor, the LS word patch << 16 | build.

set(VEILBOX_VERSION_SECTION ".vbversion")

function(_veilbox_u32_bytes value out)
  set(bytes "")
  foreach(shift 0 8 16 24)
    math(EXPR byte "(${value} >> ${shift}) & 255" OUTPUT_FORMAT HEXADECIMAL)
    string(APPEND bytes "${byte},")
  endforeach()
  set(${out} "${bytes}" PARENT_SCOPE)
endfunction()

function(_veilbox_text_bytes text out)
  string(HEX "${text}" hex)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  set(${out} "${bytes}0x00," PARENT_SCOPE)
endfunction()

# On Windows the same fields and texts become the program's VERSIONINFO resource, which
# the version API reads.
function(_veilbox_version_resource target version major minor patch build strings)
  set(block "")
  list(LENGTH strings count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET strings ${i} key)
    list(GET strings ${j} value)
    string(APPEND block "      VALUE \"${key}\", \"${value}\"\n")
  endforeach()
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_version_record.rc")
  file(WRITE "${out}.tmp"
"// Version record ${version} of ${target}, made by cmake/VersionRecord.cmake; edits are lost.
1 VERSIONINFO
FILEVERSION ${major},${minor},${patch},${build}
PRODUCTVERSION ${major},${minor},${patch},${build}
FILEFLAGSMASK 0x3F
FILEFLAGS 0
FILEOS 4
FILETYPE 1
FILESUBTYPE 0
BEGIN
  BLOCK \"StringFileInfo\"
  BEGIN
    BLOCK \"040904B0\"
    BEGIN
${block}    END
  END
  BLOCK \"VarFileInfo\"
  BEGIN
    VALUE \"Translation\", 0x409, 1200
  END
END
")
  configure_file("${out}.tmp" "${out}" COPYONLY)
  target_sources(${target} PRIVATE "${out}")
endfunction()

# veilbox_add_version_record(<target> [VERSION <a.b.c.d>] [PRODUCT <name>])
# Embeds a version record into an executable target. VERSION defaults to the project's
# version, PRODUCT to Veilbox.
function(veilbox_add_version_record target)
  cmake_parse_arguments(ARG "" "VERSION;PRODUCT" "" ${ARGN})
  if(NOT ARG_VERSION)
    set(ARG_VERSION "${CMAKE_PROJECT_VERSION}")
  endif()
  if(NOT ARG_PRODUCT)
    set(ARG_PRODUCT "Veilbox")
  endif()
  if(NOT ARG_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "version record of ${target}: '${ARG_VERSION}' is not a.b.c.d")
  endif()
  set(parts ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4})
  foreach(part ${parts})
    if(part GREATER 65535)
      message(FATAL_ERROR "version record of ${target}: '${ARG_VERSION}' has a part above 65535")
    endif()
  endforeach()
  list(GET parts 0 major)
  list(GET parts 1 minor)
  list(GET parts 2 patch)
  list(GET parts 3 build)
  math(EXPR ms "(${major} << 16) | ${minor}")
  math(EXPR ls "(${patch} << 16) | ${build}")

  set(bytes "")
  foreach(word 0xFEEF04BD 0x00010000 ${ms} ${ls} ${ms} ${ls} 0x3F 0 4 1 0 0 0)
    _veilbox_u32_bytes(${word} b)
    string(APPEND bytes "${b}")
  endforeach()
  # The version texts keep a trailing blank after the number; what the program shows
  # comes from the fixed part, so nobody parses these texts.
  set(strings
    "CompanyName" ""
    "FileDescription" "${ARG_PRODUCT}"
    "FileVersion" "${ARG_VERSION} "
    "InternalName" "${ARG_PRODUCT}"
    "LegalTrademarks" ""
    "OriginalFilename" "${ARG_PRODUCT}.exe"
    "ProductName" "${ARG_PRODUCT}"
    "ProductVersion" "${ARG_VERSION} "
    "Comments" ""
    "PrivateBuild" ""
    "SpecialBuild" "")
  if(WIN32)
    _veilbox_version_resource(${target} "${ARG_VERSION}" ${major} ${minor} ${patch} ${build} "${strings}")
    return()
  endif()
  foreach(text IN LISTS strings)
    _veilbox_text_bytes("${text}" b)
    string(APPEND bytes "${b}")
  endforeach()
  string(APPEND bytes "0x00")
  string(REPEAT "0x[0-9a-fA-F]+," 12 line)
  string(REGEX REPLACE "(${line})" "\\1\n  " bytes "${bytes}")

  set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_version_record.cpp")
  file(WRITE "${out}.tmp"
"// Version record ${ARG_VERSION} of ${target}, made by cmake/VersionRecord.cmake; edits are lost.
__attribute__((section(\"${VEILBOX_VERSION_SECTION}\"), used, aligned(4)))
static const unsigned char kVersionRecord[] = {
  ${bytes}
};
")
  configure_file("${out}.tmp" "${out}" COPYONLY)
  target_sources(${target} PRIVATE "${out}")
endfunction()

# veilbox_add_version_fixture(<name> [VERSION <a.b.c.d>])
# A program that does nothing, for tests that read version records: with VERSION it
# carries a record of that version, without it none at all.
function(veilbox_add_version_fixture name)
  cmake_parse_arguments(ARG "" "VERSION" "" ${ARGN})
  set(main "${CMAKE_BINARY_DIR}/veilbox_version_fixture_main.cpp")
  if(NOT EXISTS "${main}")
    file(WRITE "${main}" "int main() { return 0; }\n")
  endif()
  add_executable(${name} "${main}")
  if(ARG_VERSION)
    veilbox_add_version_record(${name} VERSION ${ARG_VERSION})
  endif()
endfunction()

# Script mode: cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DTYPE=<type> -DNAME=<name>
#   -P EmbedResource.cmake
# Writes a C++ source holding the file's bytes that registers them under type and name
# when the program starts.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# 16 bytes a line keeps the source readable by diff tools and compilers alike.
string(REPEAT "[0-9a-f]" 32 line)
string(REGEX REPLACE "(${line})" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")

foreach(var TYPE NAME)
  string(REPLACE "\\" "\\\\" ${var} "${${var}}")
  string(REPLACE "\"" "\\\"" ${var} "${${var}}")
endforeach()

file(WRITE "${OUTPUT}.tmp"
"// ${TYPE} ${NAME}, embedded by cmake/EmbedResource.cmake; edits are lost.
#include \"platform/ResourceRegistration.h\"

namespace {

// One zero byte more than the file holds, so that texts can be read as C strings.
const unsigned char kBytes[] = {
${bytes}0x00};

const platform::ResourceRegistration kRegistration(\"${TYPE}\", \"${NAME}\", kBytes, ${size});

}  // namespace
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")

# Turns a scenario file into a C++ source holding it as one raw string literal.
# Usage: cmake -DIN=demo.yzs -DOUT=demo_script.cpp -P embed.cmake
file(READ "${IN}" body)
string(FIND "${body}" ")yzs\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${IN} contains the text )yzs\" which ends the embedded literal")
endif()
file(WRITE "${OUT}.tmp" "// Generated from ${IN}; edit that file instead.\nnamespace yzhost {\nextern const char* const kDemoScript;\nconst char* const kDemoScript = R\"yzs(${body})yzs\";\n}  // namespace yzhost\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")

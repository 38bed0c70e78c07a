# Compiles the keystroke sources with the mingw-w64 cross compiler (syntax only): the Win32 layer
# and the interpreter it links must stay valid Windows C++.
foreach(source session/keys/KeyPlatformWin32.cpp session/keys/KeySender.cpp session/keys/KeyNames.cpp)
  execute_process(COMMAND ${COMPILER} -std=c++17 -Wall -Wextra -Wno-unused-parameter -Werror -fsyntax-only
                          -I${SOURCE_DIR} ${SOURCE_DIR}/${source}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${source} does not compile for Windows:\n${output}")
  endif()
  message(STATUS "${source}: compiles for Windows")
endforeach()

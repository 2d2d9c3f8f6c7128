# Cross build for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix).
# Only the layers on the C++ standard library and their tests build this way; the
# test programs run under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KEYLOOM_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix thread model first: the win32 one has no std::thread in g++ 12.
find_program(CMAKE_CXX_COMPILER
  NAMES ${KEYLOOM_MINGW_TRIPLE}-g++-posix ${KEYLOOM_MINGW_TRIPLE}-g++
  REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${KEYLOOM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libstdc++, libgcc and winpthread go into each .exe, so neither Wine nor a
# Windows machine needs the MinGW DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run under Wine in a prefix inside the build folder, made on first use.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
endif()

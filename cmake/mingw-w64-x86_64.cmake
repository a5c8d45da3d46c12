# Cross build of tessaron.exe for 64-bit Windows with Debian's MinGW-w64 (the POSIX thread
# model, for std::thread and std::mutex). The programs it makes run under Wine for the tests.
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TESSARON_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSARON_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSARON_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSARON_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TESSARON_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Test programs run under Wine.
find_program(TESSARON_WINE NAMES wine64 wine)
if(TESSARON_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSARON_WINE})
endif()

# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers.
# The "-posix" flavour provides std::thread and std::mutex (through winpthreads);
# everything is linked statically so the programs run from a plain folder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAZU_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAZU_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAZU_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAZU_MINGW_TRIPLE}-windres)

# Libraries cross-built by scripts/build-windows-deps.sh, then the compiler's own.
set(TAZU_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../../build-windows-deps/prefix"
    CACHE PATH "Prefix of the libraries cross-built for Windows")
set(CMAKE_FIND_ROOT_PATH ${TAZU_WINDOWS_DEPS} /usr/${TAZU_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs are run under Wine.
find_program(TAZU_WINE NAMES wine wine64)
if(TAZU_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAZU_WINE})
endif()

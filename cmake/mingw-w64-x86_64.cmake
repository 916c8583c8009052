# Cross build of the updater for 64-bit Windows with Debian's MinGW-w64 compilers (the
# posix threads variant, for std::thread and std::mutex), linked statically so that the
# executables need no MinGW DLLs beside them. Programs built here that the build itself
# runs (and ctest) go through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(Z82_MINGW_PREFIJO x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${Z82_MINGW_PREFIJO}-gcc-posix)
set(CMAKE_CXX_COMPILER ${Z82_MINGW_PREFIJO}-g++-posix)
set(CMAKE_RC_COMPILER ${Z82_MINGW_PREFIJO}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${Z82_MINGW_PREFIJO})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(Z82_WINE NAMES wine64 wine)
if(Z82_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${Z82_WINE})
endif()

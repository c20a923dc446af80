# Cross-compiles the Windows build on Linux with MinGW-w64 (x86_64, posix threads)
# and runs the Windows executables through Wine. The toolchain owns the emulator:
# without wine the Windows tests could not run, so configuring stops here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
find_program(SUMWICK_MINGW_CC NAMES ${_triple}-gcc-posix ${_triple}-gcc REQUIRED)
find_program(SUMWICK_MINGW_CXX NAMES ${_triple}-g++-posix ${_triple}-g++ REQUIRED)
find_program(SUMWICK_MINGW_RC NAMES ${_triple}-windres REQUIRED)
set(CMAKE_C_COMPILER ${SUMWICK_MINGW_CC})
set(CMAKE_CXX_COMPILER ${SUMWICK_MINGW_CXX})
set(CMAKE_RC_COMPILER ${SUMWICK_MINGW_RC})

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link the C++ runtime and winpthreads in, so no MinGW DLL has to travel with the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(SUMWICK_WINE NAMES wine wine64)
if(NOT SUMWICK_WINE)
  message(FATAL_ERROR "wine was not found: the Windows build runs its tests under Wine. "
                      "Install it (apt-get install wine wine64) or use the native preset.")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${SUMWICK_WINE})

# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 toolchain
# (package g++-mingw-w64-x86-64). The posix-threads variant is preferred: it
# has the full <thread>/<mutex> support of the standard library; the static
# link (cmake/windows.cmake) carries its thread runtime inside the executable.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SB_MINGW_TRIPLET x86_64-w64-mingw32)

find_program(SB_MINGW_CXX NAMES ${SB_MINGW_TRIPLET}-g++-posix ${SB_MINGW_TRIPLET}-g++ REQUIRED)
find_program(SB_MINGW_CC NAMES ${SB_MINGW_TRIPLET}-gcc-posix ${SB_MINGW_TRIPLET}-gcc)
find_program(SB_MINGW_WINDRES NAMES ${SB_MINGW_TRIPLET}-windres REQUIRED)

set(CMAKE_CXX_COMPILER ${SB_MINGW_CXX})
if(SB_MINGW_CC)
  set(CMAKE_C_COMPILER ${SB_MINGW_CC})
endif()
set(CMAKE_RC_COMPILER ${SB_MINGW_WINDRES})

# Libraries and headers come from the cross sysroot only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${SB_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs (when the tests are built) run under Wine.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(SB_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  if(NOT SB_WINE64)
    find_program(SB_WINE64 NAMES wine64 wine)
  endif()
  if(SB_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${SB_WINE64})
  endif()
endif()

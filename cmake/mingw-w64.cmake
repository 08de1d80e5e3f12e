# Cross build for 64-bit Windows with Debian's MinGW-w64 compiler (posix thread model), the C++
# runtime linked statically so that the module and the programs need no compiler DLLs; what it
# builds runs on this machine through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ADS_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ADS_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ADS_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ADS_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${ADS_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${ADS_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Libraries and headers come from the cross sysroot (and from what this build makes), programs
# from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ADS_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The 64-bit loader itself: the "wine" wrapper only adds a warning about missing 32-bit parts.
find_program(ADS_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(ADS_WINE)
  # The programs run as on the desktop system they are made for: a Chinese system (ANSI code
  # page 936), in a Wine prefix of this build's own, without Wine's debug chatter.
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env LC_ALL=zh_CN.UTF-8 WINEDEBUG=-all
    WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix ${ADS_WINE})
endif()
# Wine shows this machine's file system as drive Z:, so a path of the build machine becomes one
# of the built programs by this prefix.
set(ADS_TARGET_PATH_PREFIX "Z:")

# Cross build for Windows with Debian's MinGW-w64 compiler (posix thread model), the C++ runtime
# linked statically so that the module and the programs need no compiler DLLs; what it builds
# runs on this machine through Wine. Included by the toolchain file of each processor
# (mingw-w64.cmake: 64-bit, mingw-w64-i686.cmake: 32-bit), which sets CMAKE_SYSTEM_PROCESSOR,
# ADS_MINGW_TRIPLET and ADS_WINE_LOADER first.
set(CMAKE_SYSTEM_NAME Windows)

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

# The exports keep their plain names in the DLL's export table whatever their calling
# convention (a 32-bit __stdcall name would otherwise carry "@n").
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${CMAKE_SHARED_LINKER_FLAGS_INIT} -Wl,--kill-at")

# Wine's loader of the processor itself, not the "wine" wrapper (which only adds a warning).
find_program(ADS_WINE NAMES ${ADS_WINE_LOADER} HINTS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH NO_CACHE)
# The Wine prefix the programs run in: this build's own unless given (builds for both
# processors may share one, set up once).
set(ADS_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix of the programs this build runs")
if(ADS_WINE)
  # The programs run as on the desktop system they are made for: a Chinese system (ANSI code
  # page 936), without Wine's debug chatter.
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env LC_ALL=zh_CN.UTF-8 WINEDEBUG=-all
    WINEPREFIX=${ADS_WINEPREFIX} ${ADS_WINE})
endif()
# Wine shows this machine's file system as drive Z:, so a path of the build machine becomes one
# of the built programs by this prefix.
set(ADS_TARGET_PATH_PREFIX "Z:")
# The test programs are listed when the tests run, not when they are built: listing runs them
# under Wine, whose prefix need not be ready while the compilers run.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# Cross build for 32-bit Windows, the modules the host platform loads (see
# mingw-w64-common.cmake); Wine runs them with its 32-bit loader (Debian's wine32, i386).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ADS_MINGW_TRIPLET i686-w64-mingw32)
set(ADS_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

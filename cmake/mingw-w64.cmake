# Cross build for 64-bit Windows (see mingw-w64-common.cmake).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ADS_MINGW_TRIPLET x86_64-w64-mingw32)
set(ADS_WINE_LOADER wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Cross-building for 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686-posix):
#   cmake -S . -B build-windows-x86 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
# The same sources as the 64-bit build (mingw-w64.cmake); tests run under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(triplet i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

find_program(wine_program NAMES wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${wine_program})

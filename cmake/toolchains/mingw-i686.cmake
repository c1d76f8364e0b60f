# 32-bit Windows: the shipped programs, and the Windows tests, which CTest runs under
# 32-bit Wine in a 64-bit and a 32-bit Windows prefix.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KELVANO_WINE /usr/lib/wine/wine)
set(KELVANO_WINE_PREFIXES win64 win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

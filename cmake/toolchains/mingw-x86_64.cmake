# 64-bit Windows: the same sources as a 64-bit program, whose Windows tests CTest runs
# under 64-bit Wine on machines that run no 32-bit code. A 64-bit process has no 32-bit
# Windows to run in, so its one prefix is the 64-bit one.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KELVANO_WINE /usr/lib/wine/wine64)
set(KELVANO_WINE_PREFIXES win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

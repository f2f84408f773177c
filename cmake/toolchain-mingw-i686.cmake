# 32-bit Windows (i686-w64-mingw32): the product, Tollex.dll.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# What both mingw-w64 toolchains share; toolchain-mingw-i686.cmake and
# toolchain-mingw-x64.cmake set CMAKE_SYSTEM_PROCESSOR and include this.
# The posix thread model: GoogleTest needs std::mutex, which the win32 model
# of this mingw-w64 lacks. Everything is linked statically (see CMakeLists.txt).
# Test programs run under Wine in the project's prefix (tools/wine-run), as
# 32-bit or 64-bit programs after the processor.
set(CMAKE_SYSTEM_NAME Windows)
set(TOLLEX_MINGW_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${TOLLEX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLLEX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLLEX_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOLLEX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run;32)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run;64)
endif()

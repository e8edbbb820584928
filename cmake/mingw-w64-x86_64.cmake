# Cross-building the Windows program (64-bit) with MinGW-w64 on Linux, for
# example Debian's g++-mingw-w64-x86-64: cmake --preset windows-cross.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ARRIBADA_MINGW_PREFIX x86_64-w64-mingw32)
# The posix thread model (Debian names it with -posix) gives std::thread;
# other distributions ship only that one, without the suffix.
find_program(ARRIBADA_MINGW_CXX NAMES ${ARRIBADA_MINGW_PREFIX}-g++-posix ${ARRIBADA_MINGW_PREFIX}-g++ REQUIRED)
set(CMAKE_CXX_COMPILER ${ARRIBADA_MINGW_CXX})
# C only for GoogleTest built from its sources (ARRIBADA_GTEST_SOURCES).
find_program(ARRIBADA_MINGW_CC NAMES ${ARRIBADA_MINGW_PREFIX}-gcc-posix ${ARRIBADA_MINGW_PREFIX}-gcc)
if(ARRIBADA_MINGW_CC)
  set(CMAKE_C_COMPILER ${ARRIBADA_MINGW_CC})
endif()
find_program(CMAKE_RC_COMPILER NAMES ${ARRIBADA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ARRIBADA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Cross-built tests run under Wine when one is installed.
find_program(ARRIBADA_WINE NAMES wine64 wine)
if(ARRIBADA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ARRIBADA_WINE})
endif()

# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 GCC (posix threads, as the Qt for Windows
# SDK was built with). Used with CMAKE_PREFIX_PATH pointing at that SDK and QT_HOST_PATH=/usr for the
# host's moc, rcc and uic of the same Qt version.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
set(CMAKE_AR ${MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries and headers from the MinGW sysroot only; programs from the host. Packages from both, so
# the SDK (CMAKE_PREFIX_PATH) and the host Qt tools (QT_HOST_PATH) are found outside the sysroot.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Test programs run under Wine when ctest runs them.
find_program(DOVRA_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(DOVRA_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${DOVRA_WINE})
endif()

# Cross build for 32-bit Windows (the primary Windows target).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 ${CMAKE_CURRENT_LIST_DIR}/../.deps/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# SSE2 arithmetic so the 32-bit build computes the same numbers as the 64-bit ones.
# -fno-ipa-ra: see the 64-bit toolchain file.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -fno-ipa-ra")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -fno-ipa-ra")

# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (scripts/windows-build).
# The posix thread model: assimp uses std::mutex and std::thread, which GCC 12's win32 thread model lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

# Libraries and headers come from the MinGW sysroot and from the prefix the cross-built libraries are
# installed into (WINDOWS_DEPS_PREFIX), never from the build machine's own /usr.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
if(WINDOWS_DEPS_PREFIX)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${WINDOWS_DEPS_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${WINDOWS_DEPS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthread go into each executable and DLL, so that what is built runs on a
# Windows machine that has none of MinGW's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
if(WINDOWS_DEPS_PREFIX)
  # assimp's CMake package names minizip and zlib bare, as pkg-config gave them to it.
  string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -L${WINDOWS_DEPS_PREFIX}/lib")
endif()

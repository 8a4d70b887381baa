# What both cross-builds for Windows share; the toolchain file of each architecture sets
# CMAKE_SYSTEM_PROCESSOR and MINGW_PREFIX, then includes this.
# The posix thread model: GoogleTest, built for the Wine tests, needs std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${MINGW_PREFIX}-dlltool)
set(CMAKE_OBJDUMP ${MINGW_PREFIX}-objdump)
set(CMAKE_STRIP ${MINGW_PREFIX}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

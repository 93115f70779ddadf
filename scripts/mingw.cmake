# Cross-compiling for Windows with Debian's mingw-w64 (posix threads, which
# Qt and std::thread need). The flavour's file sets TAVELIN_MINGW first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TAVELIN_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${TAVELIN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVELIN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVELIN_MINGW}-windres)
# Callers add where their own target libraries live (the static Qt).
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TAVELIN_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

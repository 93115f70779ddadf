# 32-bit Windows, for a reader maker's 32-bit t2.dll.
set(TAVELIN_MINGW i686-w64-mingw32)
set(TAVELIN_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

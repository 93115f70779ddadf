# 64-bit Windows.
set(TAVELIN_MINGW x86_64-w64-mingw32)
set(TAVELIN_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)

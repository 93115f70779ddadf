# Fails naming each line of a source under FOLDER that includes a header from
# one of FORBIDDEN (folders as a regular-expression alternation); writes
# STAMP when there is none.
#   cmake -DFOLDER=dataout "-DFORBIDDEN=framework|pages" -DSTAMP=x -P check_includes.cmake
file(GLOB_RECURSE sources RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${FOLDER}/*.h ${FOLDER}/*.c ${FOLDER}/*.cpp)
set(found "")
foreach(source IN LISTS sources)
  # Any path that passes through such a folder, "../pages/x.h" too.
  file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*/)?(${FORBIDDEN})/")
  foreach(line IN LISTS lines)
    string(APPEND found "\n  ${source}: ${line}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "${FOLDER} must not include from ${FORBIDDEN}, a layer above it:${found}")
endif()
file(WRITE ${STAMP} "")

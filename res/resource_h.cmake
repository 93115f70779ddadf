# Writes resource.h, the names the program's code gives the dialog templates,
# their controls and the strings, from the "name" fields of the JSON files:
#   cmake -DOUT=resource.h -DSTRINGS=strings.json "-DDIALOGS=100.json;102.json" -P resource_h.cmake
# Each template is a namespace holding its number (IDD) and its controls'
# IDC_ names; IDOK and IDCANCEL are the platform's, unnamed (-1) controls
# need none.

set(text "// Made from res/dialogs/*.json and res/strings.json by res/resource_h.cmake.\n#pragma once\n")
set(numbers "")
foreach(path IN LISTS DIALOGS)
  file(READ ${path} json)
  string(JSON number GET ${json} id)
  string(JSON dialog GET ${json} name)
  string(APPEND text "\nnamespace ${dialog} {\ninline constexpr int IDD = ${number};\n")
  string(JSON count LENGTH ${json} controls)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(JSON id GET ${json} controls ${i} id)
    if(id EQUAL -1)
      continue()
    endif()
    string(JSON name ERROR_VARIABLE missing GET ${json} controls ${i} name)
    if(missing)
      message(FATAL_ERROR "${path}: control ${id} has no name")
    endif()
    if(name MATCHES "^IDC_")
      string(APPEND text "inline constexpr int ${name} = ${id};\n")
    endif()
  endforeach()
  string(APPEND text "}  // namespace ${dialog}\n")
  list(APPEND numbers ${number})
endforeach()

string(APPEND text "\n")
file(READ ${STRINGS} json)
string(JSON count LENGTH ${json})
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON id MEMBER ${json} ${i})
  string(JSON name GET ${json} ${id} name)
  string(APPEND text "inline constexpr int ${name} = ${id};\n")
endforeach()

list(JOIN numbers ", " numbers)
string(APPEND text "\n// Every template.\ninline constexpr int kDialogTemplates[] = {${numbers}};\n")
file(WRITE ${OUT} "${text}")

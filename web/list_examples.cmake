# Writes the list of example programs the page's menu offers: a JSON array
# of file names, in name order.
file(GLOB names RELATIVE ${EXAMPLES} ${EXAMPLES}/*.mlr)
list(SORT names)
set(json "[")
foreach(name IN LISTS names)
  if(NOT json STREQUAL "[")
    string(APPEND json ",")
  endif()
  string(APPEND json "\"${name}\"")
endforeach()
string(APPEND json "]\n")
file(WRITE ${OUT} "${json}")

# Compares the functions defined in the dynamic symbol table of LIBRARY with
# the functions HEADER declares through BSP_API. Either side having a name the
# other lacks fails the test.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE nm_out RESULT_VARIABLE nm_rc)
if(NOT nm_rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[0-9a-f]+ [TW] [A-Za-z_][A-Za-z0-9_]*" rows "${nm_out}")
set(exported "")
foreach(row ${rows})
  string(REGEX REPLACE "^[0-9a-f]+ [TW] " "" name "${row}")
  if(NOT name MATCHES "^_(init|fini)$")
    list(APPEND exported ${name})
  endif()
endforeach()

file(READ ${HEADER} header)
# A declaration names a return type and then the function on the BSP_API line.
string(REGEX MATCHALL "BSP_API[ \t]+[A-Za-z_][A-Za-z0-9_ \t]*[ \t*]+[A-Za-z_][A-Za-z0-9_]*[ \t]*\\(" decls "${header}")
set(declared "")
foreach(decl ${decls})
  string(REGEX MATCH "([A-Za-z_][A-Za-z0-9_]*)[ \t]*\\($" m "${decl}")
  list(APPEND declared ${CMAKE_MATCH_1})
endforeach()

list(SORT exported)
list(SORT declared)
if(NOT exported STREQUAL declared)
  message(FATAL_ERROR "exports differ from header\n  library: ${exported}\n  header:  ${declared}")
endif()
list(LENGTH declared n)
message(STATUS "${n} exports match the header")

# Makes the API reference and fails on Doxygen's warnings about the public
# headers: any malformed comment, and any class, property, signal, slot or
# enumeration without a reference comment. (Undocumented functions and
# variables are allowed: many are self-explanatory getters and fields.)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target docs RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the docs target failed:\n${out}\n${err}")
endif()
get_filename_component(dir ${LOG} DIRECTORY)
foreach(f html/index.html tarnwell.qch warnings.log)
  if(NOT EXISTS ${dir}/${f})
    message(FATAL_ERROR "the reference lacks ${f}")
  endif()
endforeach()

file(STRINGS ${LOG} lines)
set(errors)
set(missing)
foreach(l IN LISTS lines)
  # "<path>/<folder>/<Header>.h:<line>: warning: <text>" -> "<folder>/<Header>.h:<line>: <text>"
  if(NOT l MATCHES "([^/]+/[^/:]+\\.h:[0-9]+): warning: (.*)$")
    list(APPEND errors "${l}")
    continue()
  endif()
  set(item "${CMAKE_MATCH_1}: ${CMAKE_MATCH_2}")
  if(NOT item MATCHES "is not documented\\.?$")
    list(APPEND errors "${item}")
  elseif(item MATCHES "Compound |\\((property|signal|slot|enumeration)\\) of ")
    list(APPEND missing "${item}")
  endif()
endforeach()
# Doxygen does not warn about every undocumented class (not about one whose
# only member is an inherited constructor, for example): the class list
# tells, as every documented class has a brief description there.
file(READ ${dir}/html/annotated.html html)
set(_entry "<span class=\"icon\">([A-Z])</span></span><a class=\"el\" href=\"[^\"]*\" target=\"_self\">([^<]*)</a></td><td class=\"desc\">")
string(REGEX MATCHALL "${_entry}" entries "${html}")
if(NOT entries)
  message(FATAL_ERROR "html/annotated.html: no class entries found (has Doxygen's class list changed form?)")
endif()
string(REGEX MATCHALL "${_entry}</td>" bare "${html}")
foreach(e IN LISTS bare)
  string(REGEX MATCH "${_entry}" _ "${e}")
  if(NOT CMAKE_MATCH_1 STREQUAL "N")
    list(APPEND missing "class list: ${CMAKE_MATCH_2} has no description")
  endif()
endforeach()
# The property macros' change signals and setter slots are listed as
# signals and slots of their own (a reader connects to them), not only
# named inside the property.
file(READ ${dir}/html/classTarnwell_1_1TBarCodes.html page)
string(FIND "${page}" "name=\"signals\"" at_signals)
string(FIND "${page}" "A_CodeTypeChanged" at_signal)
string(FIND "${page}" "name=\"pub-slots\"" at_slots)
if(at_signals LESS 0 OR at_signal LESS 0 OR at_slots LESS 0)
  list(APPEND missing "TBarCodes: the property macros' signals and slots are not listed as signals and slots")
endif()
if(errors OR missing)
  list(REMOVE_DUPLICATES errors)
  list(REMOVE_DUPLICATES missing)
  list(LENGTH missing n)
  list(JOIN errors "\n" e)
  list(JOIN missing "\n" m)
  # The line numbers are those of the filtered header: one more than the
  # header's own when the filter added the "\file" line at its top.
  message(FATAL_ERROR "Doxygen on the public headers:\n${e}\n${n} without a reference comment:\n${m}")
endif()
message(STATUS "reference clean: every class, property, signal, slot and enumeration documented")

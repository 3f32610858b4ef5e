# Helpers shared by every subsystem's CMakeLists.txt.

set(TARNWELL_WARNINGS -Wall -Wextra)

# tarnwell_library(<folder> SOURCES ... [DEPENDS libs...])
# Makes the static library tarnwell_<folder>.
function(tarnwell_library folder)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  set(target tarnwell_${folder})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${TARNWELL_WARNINGS})
  target_link_libraries(${target} PUBLIC ${ARG_DEPENDS})
endfunction()

# tarnwell_test(<folder> SOURCES ... [DEPENDS libs...])
# Makes the GoogleTest executable tests_<folder>, registered with CTest.
# Tests run headless.
function(tarnwell_test folder)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPENDS" ${ARGN})
  set(target tests_${folder})
  add_executable(${target} ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${TARNWELL_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_DEPENDS} tarnwell_testmain GTest::gtest Qt6::Test)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  add_test(NAME ${folder} COMMAND ${target})
  set_tests_properties(${folder} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TARNWELL_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    TIMEOUT ${ARG_TIMEOUT})
endfunction()

# tarnwell_bench(<name> SOURCES ... [DEPENDS libs...]) makes bin/tarnwell-bench-<name>.
function(tarnwell_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  set(target tarnwell-bench-${name})
  add_executable(${target} ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${TARNWELL_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_DEPENDS} benchmark::benchmark)
endfunction()

# tarnwell_tool(<name> SOURCES ... [DEPENDS libs...]) makes bin/tarnwell-<name>.
function(tarnwell_tool name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  set(target tarnwell-${name})
  add_executable(${target} ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${TARNWELL_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_DEPENDS})
endfunction()

# TARNWELL_ONLY (a list of folder names) limits the build to those folders,
# e.g. -DTARNWELL_ONLY="app;pattern;snap" while other folders are mid-change.
function(tarnwell_wanted_impl name out)
  if(NOT TARNWELL_ONLY OR name IN_LIST TARNWELL_ONLY OR name STREQUAL "common")
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

# Adds every subfolder of the current folder that has a CMakeLists.txt.
macro(tarnwell_add_subfolders)
  file(GLOB _subs LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _subs)
  foreach(_s IN LISTS _subs)
    tarnwell_wanted_impl(${_s} _tw_ok)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_s}/CMakeLists.txt AND _tw_ok)
      add_subdirectory(${_s})
    endif()
  endforeach()
endmacro()

# Helpers shared by every subsystem's CMakeLists.txt.

# Libraries and the CMake package go to Debian's multiarch folder
# (lib/x86_64-linux-gnu) whatever the prefix, as GNUInstallDirs does for /usr:
# an install tree then relocates to any prefix (cmake --install --prefix),
# the Debian packages' /usr included. Chosen once per build folder (a folder
# given on the command line other than "lib" stays), and only for a build of
# its own: as a subproject, the including project's layout is left alone.
if(PROJECT_IS_TOP_LEVEL AND CMAKE_LIBRARY_ARCHITECTURE AND NOT TARNWELL_LIBDIR_CHOSEN)
  if(NOT DEFINED CMAKE_INSTALL_LIBDIR OR CMAKE_INSTALL_LIBDIR STREQUAL "lib")
    set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH "Object code libraries (LIBDIR)" FORCE)
  endif()
  set(TARNWELL_LIBDIR_CHOSEN ON CACHE INTERNAL "")
endif()
include(GNUInstallDirs)

set(TARNWELL_WARNINGS -Wall -Wextra)
# Every library folder is reachable as <Tarnwell/<folder>/Header.h> in the
# build tree, the same spelling the installed headers use.
set(TARNWELL_INCLUDE_ROOT ${PROJECT_BINARY_DIR}/include)
file(MAKE_DIRECTORY ${TARNWELL_INCLUDE_ROOT}/Tarnwell)
set(TARNWELL_CONFIG_DEPENDENCIES "" CACHE INTERNAL "")

# tarnwell_compile_resources(<name> <out-var> files...)
# Compiles files below resources/ (as ":/<path>") into a C++ source whose
# registration function is qInitResources_<name>; see TResources.h.
function(tarnwell_compile_resources name out)
  set(qrc ${CMAKE_CURRENT_BINARY_DIR}/${name}.qrc)
  set(body "<RCC>\n  <qresource prefix=\"/\">\n")
  foreach(r IN LISTS ARGN)
    string(APPEND body "    <file alias=\"${r}\">${PROJECT_SOURCE_DIR}/resources/${r}</file>\n")
  endforeach()
  string(APPEND body "  </qresource>\n</RCC>\n")
  file(CONFIGURE OUTPUT ${qrc} CONTENT "${body}")
  qt_add_resources(rcc ${qrc} OPTIONS --name ${name})
  set(${out} ${rcc} PARENT_SCOPE)
endfunction()

# tarnwell_library(<name> FAMILY <Family> SOURCES ... [DEPENDS libs...]
#                  [RESOURCES files...] [DEMO])
# Makes the static library tarnwell_<name> (alias Tarnwell::<Family>) from
# sources in the current folder. Its public headers (every *.h that is not
# *_p.h nor under internal/) install under include/Tarnwell/<folder>/.
# RESOURCES (paths below resources/) are compiled into this library; a source
# of it names them with TARNWELL_LIBRARY_RESOURCES(tarnwell_<name>).
# DEMO marks a demonstration-window library: built for the showcase only and
# neither installed nor exported.
function(tarnwell_library name)
  cmake_parse_arguments(ARG "DEMO" "FAMILY" "SOURCES;DEPENDS;RESOURCES" ${ARGN})
  set(target tarnwell_${name})
  set(sources ${ARG_SOURCES})
  if(ARG_RESOURCES)
    tarnwell_compile_resources(${target} rcc_sources ${ARG_RESOURCES})
    list(APPEND sources ${rcc_sources})
  endif()
  add_library(${target} STATIC ${sources})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  if(NOT EXISTS ${TARNWELL_INCLUDE_ROOT}/Tarnwell/${folder})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${TARNWELL_INCLUDE_ROOT}/Tarnwell/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${TARNWELL_INCLUDE_ROOT}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_compile_options(${target} PRIVATE ${TARNWELL_WARNINGS})
  target_link_libraries(${target} PUBLIC ${ARG_DEPENDS})
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  if(ARG_DEMO OR NOT ARG_FAMILY)
    return()
  endif()
  add_library(Tarnwell::${ARG_FAMILY} ALIAS ${target})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${ARG_FAMILY})
  install(TARGETS ${target} EXPORT TarnwellTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  set(headers)
  foreach(s IN LISTS ARG_SOURCES)
    if(s MATCHES "\\.h$" AND NOT s MATCHES "_p\\.h$" AND NOT s MATCHES "(^|/)internal/")
      list(APPEND headers ${s})
    endif()
  endforeach()
  install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/Tarnwell/${folder} COMPONENT dev)
  set_property(GLOBAL APPEND PROPERTY TARNWELL_FAMILIES ${ARG_FAMILY})
endfunction()

# Registers a demonstration window library with the showcase: the main frame
# calls TarnwellRegisterDemo_<name>() at start-up (see app/DemoRegistry.h).
function(tarnwell_demo name)
  set_property(GLOBAL APPEND PROPERTY TARNWELL_DEMOS ${name})
endfunction()

# tarnwell_test(<folder> SOURCES ... [DEPENDS libs...] [TIMEOUT s])
# Makes the GoogleTest executable tests_<folder>; each test case is its own
# CTest test (discovered when the suite runs). Tests run headless.
function(tarnwell_test folder)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPENDS;PROPERTIES" ${ARGN})
  set(target tests_${folder})
  add_executable(${target} ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${TARNWELL_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_DEPENDS} tarnwell_testmain GTest::gtest Qt6::Test)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  gtest_discover_tests(${target}
    TEST_PREFIX "${folder}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TARNWELL_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
      TIMEOUT ${ARG_TIMEOUT}
      ${ARG_PROPERTIES})
endfunction()

# tarnwell_bench(<name> SOURCES ... [DEPENDS libs...]) makes bin/tarnwell-bench-<name>.
function(tarnwell_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  set(target tarnwell-bench-${name})
  add_executable(${target} ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${TARNWELL_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_DEPENDS} benchmark::benchmark)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/bench)
endfunction()

# tarnwell_tool(<name> SOURCES ... [DEPENDS libs...]) makes bin/tarnwell-<name>.
function(tarnwell_tool name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  set(target tarnwell-${name})
  add_executable(${target} ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${TARNWELL_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_DEPENDS})
  if(TARNWELL_INSTALL_TOOLS)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT showcase)
  endif()
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

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

# ccache is run with its base_dir at the checkout (or the folder holding both
# the checkout and the build folder), so the cache keys hold paths relative to
# it and another clone of the project (CI's fresh one, a worktree) reuses what
# this one compiled. Set by a launcher script rather than by the environment
# of scripts/setup.sh, so it holds for `cmake --build` and `ctest` run by hand
# and for the builds the package tests make inside this one.
if(PROJECT_IS_TOP_LEVEL AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache$")
  set(_tw_base ${PROJECT_SOURCE_DIR})
  string(FIND "${PROJECT_BINARY_DIR}/" "${PROJECT_SOURCE_DIR}/" _tw_at)
  if(NOT _tw_at EQUAL 0)
    # A build folder elsewhere: the deepest folder above both, unless that is /.
    get_filename_component(_tw_up ${PROJECT_SOURCE_DIR} DIRECTORY)
    string(FIND "${PROJECT_BINARY_DIR}/" "${_tw_up}/" _tw_at)
    while(NOT _tw_up STREQUAL "/" AND NOT _tw_at EQUAL 0)
      get_filename_component(_tw_up ${_tw_up} DIRECTORY)
      string(FIND "${PROJECT_BINARY_DIR}/" "${_tw_up}/" _tw_at)
    endwhile()
    if(NOT _tw_up STREQUAL "/")
      set(_tw_base ${_tw_up})
    endif()
  endif()
  set(_tw_launcher ${PROJECT_BINARY_DIR}/ccache-launcher)
  string(CONCAT _tw_text "#!/bin/sh\n# Written by cmake/Tarnwell.cmake: ccache keyed relative to the checkout.\n"
    "CCACHE_BASEDIR='${_tw_base}' CCACHE_NOHASHDIR=1 exec '${CMAKE_CXX_COMPILER_LAUNCHER}' \"$@\"\n")
  set(_tw_old "")
  if(EXISTS ${_tw_launcher})
    file(READ ${_tw_launcher} _tw_old)
  endif()
  if(NOT _tw_old STREQUAL _tw_text)
    file(WRITE ${_tw_launcher} "${_tw_text}")
    file(CHMOD ${_tw_launcher} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
      WORLD_READ WORLD_EXECUTE)
  endif()
  set(CMAKE_CXX_COMPILER_LAUNCHER ${_tw_launcher})
endif()

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

# tarnwell_shared_library(<target>): what a family library built shared
# (BUILD_SHARED_LIBS) is given. Only what its headers mark with the family's
# export macro (Tarnwell/TarnwellExport.h, TARNWELL_<FAMILY>_EXPORT) is
# visible, and of that only names in namespace Tarnwell (with their vtables
# and type information, so that exceptions and dynamic casts work across the
# boundary) get past the version script: helpers of Qt's templates and of
# the standard library instantiated inside stay private, and the libraries
# cannot interpose one another's copies of them. The SONAME carries the
# major version (libtarnwell_<name>.so.0); the library finds its siblings
# beside itself, wherever the prefix is.
set(TARNWELL_VERSION_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/TarnwellExports.map)
function(tarnwell_shared_library target)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN")
  # --no-undefined: a library that uses another without depending on it fails
  # at its own link, not in the programs that happen to lack the other.
  target_link_options(${target} PRIVATE "LINKER:--version-script=${TARNWELL_VERSION_SCRIPT}" "LINKER:--no-undefined")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${TARNWELL_VERSION_SCRIPT})
endfunction()

# tarnwell_library(<name> FAMILY <Family> SOURCES ... [DEPENDS libs...]
#                  [RESOURCES files...] [DEMO])
# Makes the library tarnwell_<name> (alias Tarnwell::<Family>) from sources
# in the current folder: static, or shared with -DBUILD_SHARED_LIBS=ON. Its public headers (every *.h that is not
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
  # Demonstration windows are the showcase's own and stay static; a family
  # library follows BUILD_SHARED_LIBS.
  if(ARG_DEMO OR NOT ARG_FAMILY)
    add_library(${target} STATIC ${sources})
  else()
    add_library(${target} ${sources})
  endif()
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
  if(TARNWELL_UNITY_BUILD)
    # A library's sources share most of their headers (Qt's above all), which
    # then are read and compiled once for a batch instead of once a source.
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${TARNWELL_UNITY_BATCH})
  endif()
  if(ARG_DEMO OR NOT ARG_FAMILY)
    return()
  endif()
  add_library(Tarnwell::${ARG_FAMILY} ALIAS ${target})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${ARG_FAMILY})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    tarnwell_shared_library(${target})
  endif()
  install(TARGETS ${target} EXPORT TarnwellTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
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

# tarnwell_write_export_header(): Tarnwell/TarnwellExport.h (in the build
# tree's include folder, and installed) with the export macro of every family
# that was made: TARNWELL_<FAMILY>_EXPORT marks what the family's headers
# publish. The text is the same whether the libraries are static or shared:
# on ELF a marked name is simply visible ("default"), which is what a static
# library's names are anyway, and what a shared one exports (while building
# it) or imports (in a program using it). So the headers of one kind of build
# serve a program linking the other, and a test program compiles to the same
# objects in both kinds (the sanitizer build reuses those of the plain one).
function(tarnwell_write_export_header)
  get_property(families GLOBAL PROPERTY TARNWELL_FAMILIES)
  set(macros "")
  foreach(f IN LISTS families)
    get_target_property(t Tarnwell::${f} ALIASED_TARGET)
    string(TOUPPER ${f} F)
    string(APPEND macros "#if defined(${t}_EXPORTS)\n#  define TARNWELL_${F}_EXPORT Q_DECL_EXPORT\n"
      "#else\n#  define TARNWELL_${F}_EXPORT Q_DECL_IMPORT\n#endif\n")
  endforeach()
  set(header ${TARNWELL_INCLUDE_ROOT}/Tarnwell/TarnwellExport.h)
  file(CONFIGURE OUTPUT ${header} CONTENT
"#pragma once
// Generated by cmake/Tarnwell.cmake: the export macros of the Tarnwell
// libraries. A macro marks a class, function or variable that its family's
// library publishes: visible to the programs using the library, whether it
// was built static or shared.

#include <QtCore/qglobal.h>

${macros}")
  install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/Tarnwell COMPONENT dev)
endfunction()

# Registers a demonstration window library with the showcase: the main frame
# calls TarnwellRegisterDemo_<name>() at start-up (see app/DemoRegistry.h).
function(tarnwell_demo name)
  set_property(GLOBAL APPEND PROPERTY TARNWELL_DEMOS ${name})
endfunction()

# tarnwell_test(<folder> SOURCES ... [DEPENDS libs...] [TIMEOUT s]
#               [PROPERTIES name value...] [APART sources...])
# Makes the GoogleTest executable tests_<folder>; each test case is its own
# CTest test (discovered when the suite runs). Tests run headless, with a
# timeout, and with the PROPERTIES given (e.g. FIXTURES_REQUIRED).
#
# The properties are set by a script of our own that CTest reads after the
# discovered tests, not through gtest_discover_tests(PROPERTIES): on the way
# to its discovery script a list value (ENVIRONMENT A=1;B=2) is flattened into
# the name/value pairs, so every pair after the first is lost.
# tests/common/check_test_properties.py checks that they arrive.
function(tarnwell_test folder)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPENDS;PROPERTIES;APART" ${ARGN})
  set(target tests_${folder})
  add_executable(${target} ${ARG_SOURCES})
  # The test programs are most of what a cold build compiles, and the code
  # they check lives in the libraries, which keep the build type's
  # optimisation: -O1 (after the build type's flags, so it wins) compiles
  # them about a third faster.
  target_compile_options(${target} PRIVATE ${TARNWELL_WARNINGS} -O1)
  set_target_properties(${target} PROPERTIES TARNWELL_TEST_DRIVER ON)
  if(TARNWELL_UNITY_BUILD)
    # Batches as the libraries have: the test sources share GoogleTest's and
    # Qt's headers, which are most of their compile. APART names sources
    # whose file-local helpers clash with another's.
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${TARNWELL_UNITY_BATCH})
    set_property(SOURCE ${ARG_APART} PROPERTY SKIP_UNITY_BUILD_INCLUSION ON)
  endif()
  # Product sources compiled into a test program (a tool's code, a fuzz entry
  # point) stay instrumented in the sanitizer build. They are compiled apart
  # in both builds, so that the test sources' batches are the same in both.
  foreach(s IN LISTS ARG_SOURCES)
    get_filename_component(s ${s} ABSOLUTE)
    string(FIND "${s}" "${PROJECT_SOURCE_DIR}/tests/" at)
    if(NOT at EQUAL 0 AND s MATCHES "\\.cpp$")
      set_property(SOURCE ${s} PROPERTY SKIP_UNITY_BUILD_INCLUSION ON)
      if(TARNWELL_ASAN)
        set_property(SOURCE ${s} APPEND PROPERTY COMPILE_OPTIONS ${TARNWELL_SANITIZER_FLAGS})
      endif()
    endif()
  endforeach()
  target_link_libraries(${target} PRIVATE ${ARG_DEPENDS} tarnwell_testmain GTest::gtest tarnwell_qttest)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  if(TARNWELL_ASAN)
    # The sanitizers make every test several times slower.
    math(EXPR ARG_TIMEOUT "${ARG_TIMEOUT} * 3")
  endif()
  gtest_discover_tests(${target}
    TEST_PREFIX "${folder}."
    TEST_LIST ${target}_TESTS
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60)
  # Written as bracket arguments, so a value that is a list stays one value.
  set(props "ENVIRONMENT [==[QT_QPA_PLATFORM=offscreen;TARNWELL_SOURCE_DIR=${PROJECT_SOURCE_DIR}]==]")
  string(APPEND props "\n    TIMEOUT ${ARG_TIMEOUT}")
  list(LENGTH ARG_PROPERTIES n)
  math(EXPR odd "${n} % 2")
  if(odd)
    message(FATAL_ERROR "tarnwell_test(${folder}): PROPERTIES needs name/value pairs: ${ARG_PROPERTIES}")
  endif()
  while(ARG_PROPERTIES)
    list(POP_FRONT ARG_PROPERTIES name value)
    string(APPEND props "\n    ${name} [==[${value}]==]")
  endwhile()
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake)
  file(WRITE ${file}
    "# Written by tarnwell_test(): read by CTest after the discovered tests.\n"
    "if(${target}_TESTS)\n"
    "  set_tests_properties(\${${target}_TESTS} PROPERTIES\n    ${props})\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
  set_property(GLOBAL APPEND PROPERTY TARNWELL_TEST_TARGETS ${target})
endfunction()

# tarnwell_confine_path_definitions(<target>)
# Moves each compile definition of the target whose value holds a path (of
# this checkout or build, or a generator expression giving one) from the whole
# target to the sources that name it. ccache keys every other source of the
# target relative to the checkout, so another clone (CI's fresh one) reuses
# them instead of compiling them again for a different path. Should a header
# of the target name it, the definition stays on the whole target.
function(tarnwell_confine_path_definitions target)
  get_target_property(defs ${target} COMPILE_DEFINITIONS)
  if(NOT defs)
    return()
  endif()
  get_target_property(srcs ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  set(files)
  foreach(s IN LISTS srcs)
    if(NOT IS_ABSOLUTE ${s})
      set(s ${dir}/${s})
    endif()
    if(s MATCHES "\\.(cpp|h)$" AND EXISTS ${s})
      list(APPEND files ${s})
    endif()
  endforeach()
  set(keep)
  foreach(d IN LISTS defs)
    set(users)
    set(in_header FALSE)
    if(d MATCHES "^([A-Za-z_][A-Za-z0-9_]*)=.*[/$]")
      set(name ${CMAKE_MATCH_1})
      foreach(f IN LISTS files)
        file(STRINGS ${f} hit REGEX "${name}")
        if(hit)
          list(APPEND users ${f})
          if(f MATCHES "\\.h$")
            set(in_header TRUE)
          endif()
        endif()
      endforeach()
    endif()
    if(NOT users OR in_header)
      list(APPEND keep "${d}")
    else()
      set_property(SOURCE ${users} TARGET_DIRECTORY ${target} APPEND PROPERTY COMPILE_DEFINITIONS "${d}")
    endif()
  endforeach()
  set_property(TARGET ${target} PROPERTY COMPILE_DEFINITIONS "${keep}")
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

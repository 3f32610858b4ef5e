# Installs the build into WORK_DIR/prefix, then builds examples/ against that
# prefix only (find_package(Tarnwell REQUIRED COMPONENTS ...)) and runs each
# example's self-check. Any failure fails the test.
include(${CMAKE_CURRENT_LIST_DIR}/Run.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${TARNWELL_BUILD_DIR} --prefix ${prefix})
if(SHARED)
  set(lib ${LIBDIR}/libtarnwell_barcodes.so.0)
else()
  set(lib ${LIBDIR}/libtarnwell_barcodes.a)
endif()
foreach(f include/Tarnwell/barcodes/BarCodes.h include/Tarnwell/platform/TProperty.h
          include/Tarnwell/TarnwellExport.h ${LIBDIR}/cmake/Tarnwell/TarnwellConfig.cmake ${lib})
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
# Internal headers stay out of the package.
file(GLOB_RECURSE internal ${prefix}/include/*_p.h)
if(internal)
  message(FATAL_ERROR "internal headers installed: ${internal}")
endif()

# The examples and the check that every installed header compiles on its own
# (nothing it needs is left out of the install, nothing private is reached)
# are one project: one configure and one parallel build for both, which is
# most of this test's time.
file(GLOB_RECURSE headers RELATIVE ${prefix}/include ${prefix}/include/Tarnwell/*.h)
set(src ${WORK_DIR}/src)
file(MAKE_DIRECTORY ${src}/headers)
set(units)
foreach(h IN LISTS headers)
  string(MAKE_C_IDENTIFIER ${h} id)
  file(WRITE ${src}/headers/${id}.cpp "#include <${h}>\n")
  list(APPEND units headers/${id}.cpp)
endforeach()
file(WRITE ${src}/CMakeLists.txt "
cmake_minimum_required(VERSION 3.25)
project(TarnwellPackageCheck LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(Tarnwell REQUIRED)
add_subdirectory(${TARNWELL_SOURCE_DIR}/examples examples)
add_library(headers OBJECT ${units})
foreach(f IN LISTS Tarnwell_FAMILIES)
  target_link_libraries(headers PRIVATE Tarnwell::\${f})
endforeach()
")

set(launcher)
if(COMPILER_LAUNCHER)
  set(launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${COMPILER_LAUNCHER})
endif()
# Only the temporary prefix may provide Tarnwell: never the source or build tree.
run(${CMAKE_COMMAND} -S ${src} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${prefix} ${launcher})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
list(LENGTH headers n)
message(STATUS "${n} installed headers compile on their own")

file(GLOB examples LIST_DIRECTORIES false ${WORK_DIR}/build/examples/bin/*)
if(NOT examples)
  message(FATAL_ERROR "no example was built")
endif()
foreach(e IN LISTS examples)
  run(${e} --check)
  message(STATUS "${e}: ${run_log}")
endforeach()

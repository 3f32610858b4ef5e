# A project that adds the source tree with add_subdirectory() configures and
# builds a component library, with the tree's tests, tools and showcase off.
include(${CMAKE_CURRENT_LIST_DIR}/Run.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/src)
file(WRITE ${WORK_DIR}/src/CMakeLists.txt "
cmake_minimum_required(VERSION 3.25)
project(Host LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 20)
add_subdirectory(\"${TARNWELL_SOURCE_DIR}\" tarnwell)
foreach(t Tarnwell::BarCodes Tarnwell::Spreadsheet Tarnwell::Platform)
  if(NOT TARGET \${t})
    message(FATAL_ERROR \"missing \${t}\")
  endif()
endforeach()
if(TARGET tarnwell OR TARGET tests_platform)
  message(FATAL_ERROR \"the showcase or the tests were configured in a subproject\")
endif()
add_executable(host main.cpp)
target_link_libraries(host PRIVATE Tarnwell::BarCodeEncoders)
")
file(WRITE ${WORK_DIR}/src/main.cpp "
#include <Tarnwell/barcodes/BarCdObj.h>
int main() { return 0; }
")
set(launcher)
if(COMPILER_LAUNCHER)
  set(launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${COMPILER_LAUNCHER})
endif()
run(${CMAKE_COMMAND} -S ${WORK_DIR}/src -B ${WORK_DIR}/build -G ${GENERATOR} -DCMAKE_BUILD_TYPE=Release ${launcher})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build --target host)

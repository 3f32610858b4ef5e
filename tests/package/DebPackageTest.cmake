# Makes the Debian package from the build and checks what it holds and what
# it depends on.
include(${CMAKE_CURRENT_LIST_DIR}/Run.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
run(${CPACK_COMMAND} -G DEB --config ${TARNWELL_BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR})
file(GLOB debs ${WORK_DIR}/*.deb)
list(LENGTH debs n)
if(NOT n EQUAL 1)
  message(FATAL_ERROR "expected one package, found: ${debs}")
endif()
run(dpkg-deb --contents ${debs})
set(contents "${run_output}")
foreach(f ./usr/bin/tarnwell ./usr/bin/tarnwell-snap ./usr/bin/tarnwell-barcode ./usr/bin/tarnwell-sheet
          ./usr/bin/tarnwell-3d ./usr/bin/tarnwell-report ./usr/include/Tarnwell/barcodes/BarCodes.h
          ./usr/include/Tarnwell/app/QuickRpt.h ./usr/include/Tarnwell/utility/MapiSend.h
          ./usr/include/Tarnwell/platform/TProperty.h TarnwellConfig.cmake libtarnwell_barcodes.a
          plugins/designer/libtarnwell_designer.so ./usr/share/applications/tarnwell.desktop
          ./usr/share/icons/hicolor/64x64/apps/tarnwell.png)
  string(FIND "${contents}" "${f}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the package lacks ${f}\n${contents}")
  endif()
endforeach()
run(dpkg-deb -f ${debs} Depends)
foreach(dep libqt6widgets6 libqt6sql6-sqlite libqt6printsupport6 libqt6pdf6 xdg-utils)
  string(FIND "${run_output}" "${dep}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the package does not depend on ${dep}: ${run_output}")
  endif()
endforeach()
file(SIZE ${debs} bytes)
math(EXPR kib "${bytes} / 1024")
message(STATUS "package ${debs}: ${kib} KiB")

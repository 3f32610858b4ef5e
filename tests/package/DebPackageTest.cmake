# The Debian packages as a Debian user meets them.
#
# MODE=lint: makes the packages (target deb), checks what each holds and
# depends on, and runs lintian on each: no error and no warning.
# MODE=install: installs them with dpkg (root only; skipped where a Tarnwell
# package is installed already), builds examples/ against /usr alone, runs
# each example's self-check, purges the packages and checks that nothing of
# them is left on the machine.
include(${CMAKE_CURRENT_LIST_DIR}/Run.cmake)
include(${TARNWELL_BUILD_DIR}/packaging/DebConfig.cmake)
set(PACKAGES tarnwell libtarnwell-dev tarnwell-designer-plugin tarnwell-doc)
set(DEB_DIR ${TARNWELL_BUILD_DIR}/deb)

function(deb_of pkg out)
  file(GLOB f ${DEB_DIR}/${pkg}_*.deb)
  list(LENGTH f n)
  if(NOT n EQUAL 1)
    message(FATAL_ERROR "expected one package ${pkg} in ${DEB_DIR}, found: ${f}")
  endif()
  set(${out} ${f} PARENT_SCOPE)
endfunction()

function(expect_in text what)
  foreach(w IN LISTS ARGN)
    string(FIND "${text}" "${w}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${what} lacks ${w}:\n${text}")
    endif()
  endforeach()
endfunction()

if(MODE STREQUAL "lint")
  run(${CMAKE_COMMAND} --build ${TARNWELL_BUILD_DIR} --target deb)
  # Everything that installs belongs to a package.
  file(REMOVE_RECURSE ${WORK_DIR})
  run(${CMAKE_COMMAND} -E env DESTDIR=${WORK_DIR}/unspecified ${CMAKE_COMMAND} --install ${TARNWELL_BUILD_DIR}
      --component Unspecified --prefix /usr)
  file(GLOB_RECURSE stray ${WORK_DIR}/unspecified/*)
  if(stray)
    message(FATAL_ERROR "installed but in no package: ${stray}")
  endif()

  deb_of(tarnwell deb)
  run(dpkg-deb --contents ${deb})
  set(contents "${run_output}")
  foreach(p tarnwell tarnwell-3d tarnwell-barcode tarnwell-dbdemos tarnwell-report tarnwell-sheet tarnwell-snap)
    expect_in("${contents}" tarnwell ./usr/bin/${p} ./usr/share/man/man1/${p}.1.gz)
  endforeach()
  expect_in("${contents}" tarnwell ./usr/share/applications/tarnwell.desktop
            ./usr/share/icons/hicolor/64x64/apps/tarnwell.png ./usr/share/doc/tarnwell/copyright
            ./usr/share/doc/tarnwell/changelog.gz)
  run(dpkg-deb -f ${deb} Depends)
  # Found by dpkg-shlibdeps (libpq5 was missing when Depends were written
  # by hand), and what only run time needs.
  expect_in("${run_output}" "tarnwell Depends" libc6 libqt6widgets6 libpq5 libsqlite3-0 libqt6sql6-sqlite
            fonts-liberation2)

  deb_of(libtarnwell-dev deb)
  run(dpkg-deb --contents ${deb})
  set(contents "${run_output}")
  expect_in("${contents}" libtarnwell-dev ./usr/include/Tarnwell/barcodes/BarCodes.h
            ./usr/${LIBDIR}/libtarnwell_barcodes.a ./usr/${LIBDIR}/cmake/Tarnwell/TarnwellConfig.cmake)
  if(contents MATCHES "_p\\.h")
    message(FATAL_ERROR "private headers in libtarnwell-dev:\n${contents}")
  endif()
  run(dpkg-deb -f ${deb} Depends)
  expect_in("${run_output}" "libtarnwell-dev Depends" qt6-base-dev qt6-svg-dev qt6-pdf-dev pkgconf libsqlite3-dev
            libpq-dev)

  deb_of(tarnwell-designer-plugin deb)
  run(dpkg-deb --contents ${deb})
  expect_in("${run_output}" tarnwell-designer-plugin /qt6/plugins/designer/libtarnwell_designer.so)
  deb_of(tarnwell-doc deb)
  run(dpkg-deb --contents ${deb})
  expect_in("${run_output}" tarnwell-doc ./usr/share/doc/tarnwell-doc/html/index.html
            ./usr/share/qt6/doc/tarnwell.qch)

  # One lintian run for the four packages (its start-up is most of its cost).
  set(debs)
  foreach(pkg IN LISTS PACKAGES)
    deb_of(${pkg} deb)
    list(APPEND debs ${deb})
  endforeach()
  execute_process(COMMAND lintian --tag-display-limit 0 ${debs} OUTPUT_VARIABLE out ERROR_VARIABLE err)
  message(STATUS "lintian: ${out}${err}")
  string(REGEX MATCHALL "(^|\n)[EW]: [^\n]*" bad "${out}${err}")
  if(bad)
    message(FATAL_ERROR "lintian errors or warnings:${bad}")
  endif()

elseif(MODE STREQUAL "install")
  execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT uid STREQUAL "0")
    message(STATUS "TARNWELL-SKIP: installing packages needs root")
    return()
  endif()
  foreach(pkg IN LISTS PACKAGES)
    execute_process(COMMAND dpkg-query -W -f=\${Status} ${pkg} OUTPUT_VARIABLE st ERROR_QUIET)
    if(st MATCHES "installed|config-files")
      message(STATUS "TARNWELL-SKIP: ${pkg} is on this machine already; it is left alone")
      return()
    endif()
  endforeach()
  set(debs)
  foreach(pkg IN LISTS PACKAGES)
    deb_of(${pkg} deb)
    list(APPEND debs ${deb})
  endforeach()
  file(REMOVE_RECURSE ${WORK_DIR})

  # From here on the packages are removed again whatever happens.
  set(errors)
  execute_process(COMMAND dpkg -i ${debs} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    set(errors "dpkg -i failed: ${out}${err}")
  else()
    set(launcher)
    if(COMPILER_LAUNCHER)
      set(launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${COMPILER_LAUNCHER})
    endif()
    # /usr alone: no prefix path, no package registry, no build tree.
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${TARNWELL_SOURCE_DIR}/examples -B ${WORK_DIR}/build
                            -G ${GENERATOR} -DCMAKE_BUILD_TYPE=Release -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
                            ${launcher}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(rc EQUAL 0)
      execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build
                      RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    endif()
    if(NOT rc EQUAL 0)
      set(errors "building examples/ against /usr failed: ${out}${err}")
    else()
      file(STRINGS ${WORK_DIR}/build/CMakeCache.txt found REGEX "^Tarnwell_DIR:")
      if(NOT found MATCHES "=/usr/")
        list(APPEND errors "examples found Tarnwell elsewhere than /usr: ${found}")
      endif()
      file(GLOB examples LIST_DIRECTORIES false ${WORK_DIR}/build/bin/*)
      if(NOT examples)
        list(APPEND errors "no example was built")
      endif()
      foreach(e IN LISTS examples)
        execute_process(COMMAND ${e} --check RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
        if(NOT rc EQUAL 0)
          list(APPEND errors "${e} --check failed (${rc}): ${out}${err}")
        endif()
      endforeach()
      list(LENGTH examples n)
      message(STATUS "${n} examples built against /usr and checked")
    endif()
  endif()

  # What the packages put on the machine, to look for after the purge.
  set(paths)
  foreach(deb IN LISTS debs)
    execute_process(COMMAND dpkg-deb --contents ${deb} OUTPUT_VARIABLE out)
    string(REGEX MATCHALL "\\./usr/[^\n]*" listed "${out}")
    foreach(l IN LISTS listed)
      string(REGEX REPLACE " -> .*$" "" l "${l}")
      string(SUBSTRING "${l}" 1 -1 l)
      list(APPEND paths "${l}")
    endforeach()
  endforeach()
  execute_process(COMMAND dpkg --purge ${PACKAGES} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    list(APPEND errors "dpkg --purge failed: ${out}${err}")
  endif()
  foreach(pkg IN LISTS PACKAGES)
    execute_process(COMMAND dpkg-query -W -f=\${Status} ${pkg} OUTPUT_VARIABLE st ERROR_QUIET)
    if(st MATCHES "installed|config-files")
      list(APPEND errors "${pkg} is still known to dpkg: ${st}")
    endif()
  endforeach()
  foreach(p IN LISTS paths)
    # Folders every system has (/usr/bin, /usr/share/man ...) stay; files
    # and the folders of our own go.
    if(EXISTS ${p} AND NOT IS_DIRECTORY ${p})
      list(APPEND errors "left behind: ${p}")
    endif()
  endforeach()
  foreach(d /usr/include/Tarnwell /usr/${LIBDIR}/cmake/Tarnwell /usr/share/doc/tarnwell /usr/share/doc/tarnwell-doc
            /usr/share/doc/libtarnwell-dev /usr/share/doc/tarnwell-designer-plugin)
    if(EXISTS ${d})
      list(APPEND errors "left behind: ${d}")
    endif()
  endforeach()
  if(errors)
    list(JOIN errors "\n" e)
    message(FATAL_ERROR "${e}")
  endif()
else()
  message(FATAL_ERROR "MODE must be lint or install")
endif()

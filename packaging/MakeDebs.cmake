# Makes the Debian packages of a build folder as debhelper would make them
# from a source package: each binary package from its install component
# (installed under /usr with DESTDIR, programs and plugins stripped), the
# copyright and the changelog in /usr/share/doc/<package>/, manual pages and
# the changelog compressed, Depends computed by dpkg-shlibdeps from the ELF
# files plus what is only loaded or looked up at run time, md5sums, every
# file owned by root. Uses Debian's tools only (dpkg-dev), no network.
#
#   cmake -DCONFIG=<build>/packaging/DebConfig.cmake -DOUT_DIR=<dir> -P MakeDebs.cmake
#
# Leaves <package>_<version>_<arch>.deb in OUT_DIR (and nothing else there but
# the work folder .work/).
include(${CONFIG})
set(PKG_DIR ${SOURCE_DIR}/packaging)
set(WORK ${OUT_DIR}/.work)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

# The version is the changelog's, as for any Debian package. The packaging
# lives in the project's own tree, so the packages are native: the version
# is the project's, without a Debian revision.
file(STRINGS ${PKG_DIR}/changelog top LIMIT_COUNT 1)
if(NOT top MATCHES "^tarnwell \\(([^)]+)\\)")
  message(FATAL_ERROR "packaging/changelog does not start with an entry of tarnwell: ${top}")
endif()
set(VERSION "${CMAKE_MATCH_1}")
if(NOT VERSION STREQUAL UPSTREAM_VERSION)
  message(FATAL_ERROR "packaging/changelog is at ${VERSION}, the project at ${UPSTREAM_VERSION}: add an entry")
endif()
run(dpkg --print-architecture)
string(STRIP "${run_output}" ARCH)

# The packages. DEPENDS are what dpkg-shlibdeps cannot see: plugins Qt loads,
# fonts the font substitutions name, programs started, and for the
# development files what find_package(Tarnwell) itself finds.
if(NOT PACKAGES)  # -DPACKAGES=... makes only some
  # The runtime libraries first: the other packages' Depends name it.
  set(PACKAGES libtarnwell0 tarnwell libtarnwell-dev tarnwell-designer-plugin tarnwell-doc)
endif()

# The shared libraries of a build with -DBUILD_SHARED_LIBS=ON (a static build
# has nothing of component runtime, and no libtarnwell0 is made). One package
# holds every family's library: they are built, versioned and replaced
# together, and their SONAMEs share the major version in the package name.
set(libtarnwell0_COMPONENT runtime)
set(libtarnwell0_ARCH ${ARCH})
set(libtarnwell0_SECTION libs)
set(libtarnwell0_MULTIARCH same)
set(libtarnwell0_SUMMARY "Tarnwell user-interface components for Qt 6 - shared libraries")
set(libtarnwell0_TEXT
  "Tarnwell is a suite of about fifty user-interface components for Qt 6"
  "programs: a spreadsheet grid, a 2D graph, bar codes, a software 3D viewer,"
  "measurement displays, slide menus, a file list view, data-aware grids and"
  "queries, design at run time and smaller visual controls."
  "."
  "This package holds the shared library of every family, which programs"
  "built against libtarnwell-dev need at run time.")

set(tarnwell_COMPONENT showcase)
set(tarnwell_ARCH ${ARCH})
set(tarnwell_SECTION x11)
set(tarnwell_DEPENDS "libqt6sql6-sqlite, fonts-liberation2, fonts-dejavu-core, xdg-utils")
set(tarnwell_SUMMARY "showcase of the Tarnwell user-interface components")
set(tarnwell_TEXT
  "Tarnwell is a suite of about fifty user-interface components for Qt 6"
  "programs: a spreadsheet grid, a 2D graph, bar codes, a software 3D viewer,"
  "measurement displays, slide menus, a file list view, data-aware grids and"
  "queries, design at run time and smaller visual controls."
  "."
  "This package holds the showcase program, a multiple-document window whose"
  "launchers open a demonstration window of each family (its texts are"
  "Italian), and the command-line tools built on the components: bar codes"
  "(tarnwell-barcode), spreadsheet files (tarnwell-sheet), 3D models"
  "(tarnwell-3d), reports (tarnwell-report), the demonstration database"
  "(tarnwell-dbdemos) and pictures of the windows (tarnwell-snap).")

set(libtarnwell-dev_COMPONENT dev)
set(libtarnwell-dev_ARCH ${ARCH})
set(libtarnwell-dev_SECTION libdevel)
set(libtarnwell-dev_DEPENDS "qt6-base-dev, qt6-svg-dev, qt6-pdf-dev, pkgconf, libsqlite3-dev, libpq-dev")
if(SHARED)
  string(APPEND libtarnwell-dev_DEPENDS ", libtarnwell0 (= ${VERSION})")
endif()
set(libtarnwell-dev_RECOMMENDS "libqt6sql6-sqlite, fonts-liberation2, fonts-dejavu-core")
set(libtarnwell-dev_SUGGESTS "tarnwell-designer-plugin, tarnwell-doc")
set(libtarnwell-dev_SUMMARY "Tarnwell user-interface components for Qt 6 - development files")
set(libtarnwell-dev_TEXT
  "Tarnwell is a suite of about fifty user-interface components for Qt 6"
  "programs: a spreadsheet grid, a 2D graph, bar codes, a software 3D viewer,"
  "measurement displays, slide menus, a file list view, data-aware grids and"
  "queries, design at run time and smaller visual controls."
  "."
  "This package holds the headers, the libraries of every family to link"
  "with and the CMake package: find_package(Tarnwell COMPONENTS BarCodes"
  "Graph ...) gives the targets Tarnwell::<Family>.")

set(tarnwell-designer-plugin_COMPONENT designer)
set(tarnwell-designer-plugin_ARCH ${ARCH})
set(tarnwell-designer-plugin_SECTION devel)
set(tarnwell-designer-plugin_RECOMMENDS "qt6-tools-dev-tools, libtarnwell-dev")
set(tarnwell-designer-plugin_SUMMARY "Tarnwell user-interface components for Qt 6 - Qt Designer plugin")
set(tarnwell-designer-plugin_TEXT
  "Tarnwell is a suite of about fifty user-interface components for Qt 6"
  "programs: a spreadsheet grid, a 2D graph, bar codes, a software 3D viewer,"
  "measurement displays, slide menus, a file list view, data-aware grids and"
  "queries, design at run time and smaller visual controls."
  "."
  "This package holds the Qt Designer plugin: every visual component in a"
  "\"Tarnwell\" group of the widget box, with its properties editable there."
  "Forms saved with them compile through uic against libtarnwell-dev.")

set(tarnwell-doc_COMPONENT doc)
set(tarnwell-doc_ARCH all)
set(tarnwell-doc_SECTION doc)
set(tarnwell-doc_DEPENDS "libjs-jquery")
set(tarnwell-doc_SUMMARY "Tarnwell user-interface components for Qt 6 - API reference")
set(tarnwell-doc_TEXT
  "Tarnwell is a suite of about fifty user-interface components for Qt 6"
  "programs: a spreadsheet grid, a 2D graph, bar codes, a software 3D viewer,"
  "measurement displays, slide menus, a file list view, data-aware grids and"
  "queries, design at run time and smaller visual controls."
  "."
  "This package holds the reference of the public classes, properties,"
  "signals and enumerations, as HTML in /usr/share/doc/tarnwell-doc/html and"
  "as a Qt help file for Qt Creator and Qt Assistant.")

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK} ${OUT_DIR})
file(GLOB old ${OUT_DIR}/*.deb)
if(old)
  file(REMOVE ${old})
endif()

# dpkg-shlibdeps wants a source package around the files it looks at.
file(MAKE_DIRECTORY ${WORK}/src/debian)
file(WRITE ${WORK}/src/debian/control "Source: tarnwell\n\nPackage: tarnwell\nArchitecture: any\n")

foreach(pkg IN LISTS PACKAGES)
  set(root ${WORK}/${pkg})
  # The component, under /usr as the package installs it.
  run(${CMAKE_COMMAND} -E env DESTDIR=${root} ${CMAKE_COMMAND} --install ${BUILD_DIR}
      --component ${${pkg}_COMPONENT} --prefix /usr --strip)
  file(GLOB_RECURSE files LIST_DIRECTORIES false ${root}/*)
  if(NOT files)
    message(STATUS "${pkg}: the build has nothing of component ${${pkg}_COMPONENT}, not made")
    continue()
  endif()

  # The reference's pages use Debian's jQuery instead of a copy of their own.
  file(GLOB_RECURSE jquery ${root}/usr/share/doc/*/jquery.js)
  foreach(f IN LISTS jquery)
    file(REMOVE ${f})
    file(CREATE_LINK ../../../javascript/jquery/jquery.js ${f} SYMBOLIC)
  endforeach()

  # Documentation of the package itself.
  set(doc ${root}/usr/share/doc/${pkg})
  file(MAKE_DIRECTORY ${doc})
  file(COPY_FILE ${PKG_DIR}/copyright ${doc}/copyright)
  file(COPY_FILE ${PKG_DIR}/changelog ${doc}/changelog)
  file(GLOB_RECURSE manpages ${root}/usr/share/man/*.[1-9])
  foreach(f ${doc}/changelog ${manpages})
    run(gzip -9nf ${f})
  endforeach()

  # Files as Debian wants them: directories and programs 0755, the rest 0644
  # (shared libraries too: they are loaded, not run).
  run(find ${root} -type d -exec chmod 0755 {} +)
  run(find ${root} -type f ! -perm /111 -exec chmod 0644 {} +)
  run(find ${root} -type f -perm /111 -exec chmod 0755 {} +)
  run(find ${root}/usr -type f -name "lib*.so.*" -exec chmod 0644 {} +)

  # A runtime library package: its SONAMEs for dpkg-shlibdeps of the
  # packages after it (shlibs.local) and of programs built against it later
  # (DEBIAN/shlibs), and the ldconfig trigger.
  set(${pkg}_SHLIBS "")
  file(GLOB_RECURSE solibs LIST_DIRECTORIES false ${root}/usr/lib/*.so.*)
  foreach(f IN LISTS solibs)
    if(IS_SYMLINK ${f})
      continue()
    endif()
    run(objdump -p ${f})
    if(run_output MATCHES "SONAME +(lib[^ \n]+)\\.so\\.([0-9]+)")
      string(APPEND ${pkg}_SHLIBS "${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${pkg} (>= ${VERSION})\n")
    endif()
    get_filename_component(libdir ${f} DIRECTORY)
    set(SHLIB_DIR ${libdir})
  endforeach()
  if(${pkg}_SHLIBS)
    file(APPEND ${WORK}/src/debian/shlibs.local "${${pkg}_SHLIBS}")
    # The SONAMEs are libtarnwell_<family>.so.0, one package for them all.
    file(MAKE_DIRECTORY ${root}/usr/share/lintian/overrides)
    file(WRITE ${root}/usr/share/lintian/overrides/${pkg}
      "# Every family's library, released together: one package named for their common major version.\n"
      "${pkg}: package-name-doesnt-match-sonames *\n")
  endif()

  # Depends: the shared libraries the ELF files need, as dpkg-shlibdeps finds
  # them (with the versions their symbols need), and the fixed ones.
  set(elves)
  file(GLOB_RECURSE candidates LIST_DIRECTORIES false ${root}/usr/bin/* ${root}/usr/lib/*.so ${root}/usr/lib/*.so.*)
  foreach(f IN LISTS candidates)
    if(IS_SYMLINK ${f})
      continue()
    endif()
    file(READ ${f} magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
      list(APPEND elves ${f})
    endif()
  endforeach()
  set(depends "")
  if(elves)
    set(libdirs)
    if(SHLIB_DIR)  # where the runtime package's libraries are, for their SONAMEs
      set(libdirs -l${SHLIB_DIR})
    endif()
    execute_process(COMMAND dpkg-shlibdeps -O -x${pkg} ${libdirs} -e ${elves} WORKING_DIRECTORY ${WORK}/src
                    RESULT_VARIABLE rc OUTPUT_VARIABLE subst ERROR_VARIABLE err)
    if(NOT rc EQUAL 0 OR NOT subst MATCHES "shlibs:Depends=([^\n]*)")
      message(FATAL_ERROR "dpkg-shlibdeps failed for ${pkg}: ${err}")
    endif()
    set(depends "${CMAKE_MATCH_1}")
  endif()
  if(${pkg}_DEPENDS)
    if(depends)
      string(APPEND depends ", ")
    endif()
    string(APPEND depends "${${pkg}_DEPENDS}")
  endif()

  # The control file.
  run(du -sk --apparent-size ${root}/usr)
  string(REGEX MATCH "^[0-9]+" size "${run_output}")
  set(control "Package: ${pkg}\nSource: tarnwell\nVersion: ${VERSION}\nArchitecture: ${${pkg}_ARCH}\n")
  string(APPEND control "Maintainer: ${MAINTAINER}\nInstalled-Size: ${size}\n")
  if(depends)
    string(APPEND control "Depends: ${depends}\n")
  endif()
  foreach(field RECOMMENDS SUGGESTS)
    if(${pkg}_${field})
      string(SUBSTRING ${field} 0 1 head)
      string(SUBSTRING ${field} 1 -1 tail)
      string(TOLOWER "${tail}" tail)
      string(APPEND control "${head}${tail}: ${${pkg}_${field}}\n")
    endif()
  endforeach()
  if(${pkg}_MULTIARCH)
    string(APPEND control "Multi-Arch: ${${pkg}_MULTIARCH}\n")
  endif()
  string(APPEND control "Section: ${${pkg}_SECTION}\nPriority: optional\n")
  string(APPEND control "Description: ${${pkg}_SUMMARY}\n")
  foreach(line IN LISTS ${pkg}_TEXT)
    string(APPEND control " ${line}\n")
  endforeach()
  file(MAKE_DIRECTORY ${root}/DEBIAN)
  file(WRITE ${root}/DEBIAN/control "${control}")
  set(meta control md5sums)
  if(${pkg}_SHLIBS)
    file(WRITE ${root}/DEBIAN/shlibs "${${pkg}_SHLIBS}")
    file(WRITE ${root}/DEBIAN/triggers "activate-noawait ldconfig\n")
    list(APPEND meta shlibs triggers)
  endif()

  # md5sums of every file, paths relative to the root.
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${root} ${root}/usr/*)
  list(SORT files)
  set(sums "")
  foreach(f IN LISTS files)
    if(IS_SYMLINK ${root}/${f})
      continue()
    endif()
    file(MD5 ${root}/${f} sum)
    string(APPEND sums "${sum}  ${f}\n")
  endforeach()
  file(WRITE ${root}/DEBIAN/md5sums "${sums}")
  list(TRANSFORM meta PREPEND ${root}/DEBIAN/)
  run(chmod 0644 ${meta})
  run(chmod 0755 ${root}/DEBIAN)

  set(deb ${OUT_DIR}/${pkg}_${VERSION}_${${pkg}_ARCH}.deb)
  run(dpkg-deb --root-owner-group -Zxz --build ${root} ${deb})
  message(STATUS "made ${deb}")
endforeach()

# Install components, each the content of one Debian package:
#   showcase  -> tarnwell                  the showcase and the tools, their
#                                          manual pages, desktop entry, icons
#   dev       -> libtarnwell-dev           headers, static libraries, the
#                                          CMake package
#   designer  -> tarnwell-designer-plugin  the Qt Designer plugin
#   doc       -> tarnwell-doc              the API reference (docs/)
# `cmake --build build --target deb` makes the packages of what the build
# folder has built into build/deb/ (MakeDebs.cmake: Debian's own tools, no
# network).

if(TARNWELL_INSTALL_TOOLS AND TARNWELL_BUILD_SHOWCASE AND TARNWELL_BUILD_TOOLS)
  file(GLOB _tw_man ${CMAKE_CURRENT_LIST_DIR}/man/*.1)
  install(FILES ${_tw_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT showcase)
endif()

# Who answers for the packages (the Maintainer field and the changelog's
# trailer line must name the same person).
set(TARNWELL_DEB_MAINTAINER "Tarnwell maintainers <maintainers@users.noreply.c-seed-90092eb7.example>"
  CACHE STRING "Maintainer of the Debian packages")

find_program(TARNWELL_DPKG_DEB dpkg-deb)
if(PROJECT_IS_TOP_LEVEL AND TARNWELL_DPKG_DEB)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/DebConfig.cmake.in ${PROJECT_BINARY_DIR}/packaging/DebConfig.cmake @ONLY)
  add_custom_target(deb
    COMMAND ${CMAKE_COMMAND} -DCONFIG=${PROJECT_BINARY_DIR}/packaging/DebConfig.cmake
            -DOUT_DIR=${PROJECT_BINARY_DIR}/deb -P ${CMAKE_CURRENT_LIST_DIR}/MakeDebs.cmake
    COMMENT "Debian packages into ${PROJECT_BINARY_DIR}/deb"
    USES_TERMINAL VERBATIM)
  # What the packages hold is built first.
  foreach(_tw_t tarnwell tarnwell-3d tarnwell-barcode tarnwell-dbdemos tarnwell-report tarnwell-sheet
                tarnwell-snap tarnwell_icons tarnwell_designer docs)
    if(TARGET ${_tw_t})
      add_dependencies(deb ${_tw_t})
    endif()
  endforeach()
  get_property(_tw_families GLOBAL PROPERTY TARNWELL_FAMILIES)
  foreach(_tw_f IN LISTS _tw_families)
    get_target_property(_tw_lib Tarnwell::${_tw_f} ALIASED_TARGET)
    add_dependencies(deb ${_tw_lib})
  endforeach()
endif()

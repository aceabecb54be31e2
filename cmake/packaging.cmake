# SPDX-License-Identifier: GPL-3.0-or-later
# Installation and packages: `cpack -G DEB` or `-G TGZ` in a build folder.
include(GNUInstallDirs)

foreach(program helixplot helixplot-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(NOT WIN32)
  # Desktop integration: launcher, icons, file type, software-centre entry.
  set(packaging ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
  if(TARGET helixplot)
    install(FILES ${packaging}/${HELIXPLOT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${packaging}/icons/helixplot.svg
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${HELIXPLOT_APP_ID}.svg)
    foreach(size 16 32 48 64 128 256)
      install(FILES ${packaging}/icons/helixplot-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${HELIXPLOT_APP_ID}.png)
    endforeach()
    configure_file(${packaging}/${HELIXPLOT_APP_ID}.metainfo.xml.in ${HELIXPLOT_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${HELIXPLOT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  endif()
  install(FILES ${packaging}/${HELIXPLOT_APP_ID}.mime.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${HELIXPLOT_APP_ID}.xml)
  install(FILES ${packaging}/completion/helixplot-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

  # Man pages, compressed as Debian installs them.
  find_program(HELIXPLOT_GZIP gzip REQUIRED)
  set(man_pages)
  foreach(program helixplot helixplot-cli)
    if(TARGET ${program})
      configure_file(${packaging}/man/${program}.1.in man/${program}.1 @ONLY)
      set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1)
      add_custom_command(OUTPUT ${page}.gz
        COMMAND ${HELIXPLOT_GZIP} -9nkf ${page}
        DEPENDS ${page}
        COMMENT "Compressing ${program}.1")
      list(APPEND man_pages ${page}.gz)
    endif()
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/helixplot)
  install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/helixplot/docs)
endif()

set(CPACK_PACKAGE_NAME helixplot)
set(CPACK_PACKAGE_VENDOR Helixplot)
set(CPACK_PACKAGE_CONTACT "Helixplot maintainers <maintainers@users.noreply.c-seed-eb91936d.example>")
if(NOT WIN32)
  # Debian's machine-readable copyright file; the licence texts it names are
  # the system's (/usr/share/common-licenses).
  configure_file(packaging/copyright.in copyright @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/helixplot)
endif()
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
  "Helixplot reads the genome files (Digital DNA files) of the artificial-life
game Mirelings 2: it decodes every gene into a readable tree, compares a genome
with its parents or with one or two other genomes, and counts the genes of
every family. A desktop program (helixplot) and a command-line tool
(helixplot-cli) on the same core. Genome files are only ever read.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${HELIXPLOT_HOMEPAGE}")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB TGZ)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")
include(CPack)

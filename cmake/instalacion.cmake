# What `cmake --install` puts where, and the packages CPack makes of it.
#
# Linux: the programs in bin/, the language file in share/z82-updater/ (where the faces
# look for it after the working folder and the program's folder), the window's desktop entry,
# AppStream metainfo and icon, the manual pages, and the copyright file and Debian changelog
# in share/doc/z82-updater/. Windows: z82-update-gui.exe, z82-update.exe, idiomas.ini and a
# short README side by side, packed as a ZIP.
#
#   tools/package.sh            the Debian package (build-paquete/, prefix /usr)
#   tools/package.sh windows    the Windows ZIP (MinGW-w64 cross build)

include(GNUInstallDirs)
set(Z82_EMPAQUETADO ${CMAKE_SOURCE_DIR}/packaging)

if(WIN32)
  install(TARGETS z82-update RUNTIME DESTINATION .)
  if(TARGET z82-update-gui)
    install(TARGETS z82-update-gui RUNTIME DESTINATION .)
  endif()
  install(FILES ${CMAKE_SOURCE_DIR}/data/idiomas.ini DESTINATION .)
  install(FILES ${Z82_EMPAQUETADO}/README-windows.txt DESTINATION . RENAME README.txt)
else()
  set(Z82_PROGRAMAS z82-update)
  foreach(programa z82-update-gui z82-meter-sim)
    if(TARGET ${programa})
      list(APPEND Z82_PROGRAMAS ${programa})
    endif()
  endforeach()
  install(TARGETS ${Z82_PROGRAMAS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Files made only to be installed: the language file in UTF-8, the compressed changelog.
  set(Z82_DIR_INSTALAR ${CMAKE_BINARY_DIR}/instalar)
  file(MAKE_DIRECTORY ${Z82_DIR_INSTALAR})

  # The sample language file is Windows Latin-1, as on Windows; installed here it is UTF-8,
  # the system's encoding, which the programs read as well.
  find_program(Z82_ICONV iconv REQUIRED)
  set(Z82_IDIOMAS ${CMAKE_SOURCE_DIR}/data/idiomas.ini)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${Z82_IDIOMAS})
  execute_process(COMMAND ${Z82_ICONV} -f UTF-8 -t UTF-8 ${Z82_IDIOMAS}
    OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE Z82_IDIOMAS_NO_UTF8)
  set(Z82_CODIFICACION UTF-8)
  if(Z82_IDIOMAS_NO_UTF8)
    set(Z82_CODIFICACION CP1252)
  endif()
  execute_process(COMMAND ${Z82_ICONV} -f ${Z82_CODIFICACION} -t UTF-8 ${Z82_IDIOMAS}
    OUTPUT_FILE ${Z82_DIR_INSTALAR}/idiomas.ini RESULT_VARIABLE fallo)
  if(fallo)
    message(FATAL_ERROR "iconv could not convert ${Z82_IDIOMAS} to UTF-8")
  endif()
  install(FILES ${Z82_DIR_INSTALAR}/idiomas.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/z82-updater)

  # The manual pages name the version and the data folder of this build. They and the
  # changelog go compressed, as Debian asks: gzip -9n, without name or time stamp, so the
  # same sources give the same bytes.
  find_program(Z82_GZIP gzip REQUIRED)
  function(z82_comprimir origen destino)
    execute_process(COMMAND ${Z82_GZIP} -9n -c ${origen} OUTPUT_FILE ${destino}
      RESULT_VARIABLE fallo)
    if(fallo)
      message(FATAL_ERROR "gzip could not compress ${origen}")
    endif()
  endfunction()
  set(Z82_DIR_DATOS ${CMAKE_INSTALL_FULL_DATADIR}/z82-updater)
  foreach(programa IN LISTS Z82_PROGRAMAS)
    configure_file(${Z82_EMPAQUETADO}/${programa}.1 ${CMAKE_BINARY_DIR}/man/${programa}.1 @ONLY)
    z82_comprimir(${CMAKE_BINARY_DIR}/man/${programa}.1 ${CMAKE_BINARY_DIR}/man/${programa}.1.gz)
    install(FILES ${CMAKE_BINARY_DIR}/man/${programa}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()

  # The Debian revision of this version's package; the changelog's newest entry and the
  # metainfo's newest release must name the version, or the package would contradict them.
  set(Z82_REVISION_DEBIAN 1)
  set(Z82_ID_APPSTREAM org.example.z82_updater)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${Z82_EMPAQUETADO}/changelog.Debian ${Z82_EMPAQUETADO}/${Z82_ID_APPSTREAM}.metainfo.xml)
  file(STRINGS ${Z82_EMPAQUETADO}/changelog.Debian Z82_ENTRADA LIMIT_COUNT 1)
  if(NOT Z82_ENTRADA MATCHES "^z82-updater \\(${PROJECT_VERSION}-${Z82_REVISION_DEBIAN}\\) ")
    message(FATAL_ERROR "packaging/changelog.Debian does not begin with an entry for "
      "${PROJECT_VERSION}-${Z82_REVISION_DEBIAN}: ${Z82_ENTRADA}")
  endif()
  file(STRINGS ${Z82_EMPAQUETADO}/${Z82_ID_APPSTREAM}.metainfo.xml Z82_VERSION_APPSTREAM
    REGEX "<release " LIMIT_COUNT 1)
  if(NOT Z82_VERSION_APPSTREAM MATCHES "version=\"${PROJECT_VERSION}\"")
    message(FATAL_ERROR "packaging/${Z82_ID_APPSTREAM}.metainfo.xml does not name release "
      "${PROJECT_VERSION} first: ${Z82_VERSION_APPSTREAM}")
  endif()
  set(Z82_DIR_DOC ${CMAKE_INSTALL_DATADIR}/doc/z82-updater)
  z82_comprimir(${Z82_EMPAQUETADO}/changelog.Debian ${Z82_DIR_INSTALAR}/changelog.Debian.gz)
  install(FILES ${Z82_EMPAQUETADO}/copyright ${Z82_DIR_INSTALAR}/changelog.Debian.gz
    DESTINATION ${Z82_DIR_DOC})
  install(FILES ${Z82_EMPAQUETADO}/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME z82-updater)

  # The desktop entry and the metainfo share the window's AppStream id.
  if(TARGET z82-update-gui)
    install(FILES ${Z82_EMPAQUETADO}/${Z82_ID_APPSTREAM}.desktop
      DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${Z82_EMPAQUETADO}/${Z82_ID_APPSTREAM}.metainfo.xml
      DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${Z82_EMPAQUETADO}/z82-update-gui.svg
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  endif()
endif()

set(CPACK_PACKAGE_NAME z82-updater)
set(CPACK_PACKAGE_VENDOR "Z82 updater developers")
set(CPACK_PACKAGE_CONTACT "Z82 updater developers <z82-updater@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Updates Z82 TV and satellite signal meters over USB-serial")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE ${Z82_REVISION_DEBIAN})
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # After the summary line, lines of under 80 characters; a lone "." parts paragraphs.
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The updater brings a Z82 TV and satellite signal meter up to date over its\n"
    "USB-serial cable: it finds the meter, reads its versions, writes what it\n"
    "needs (main firmware and channel plans, FPGA configurations, zone\n"
    "configuration, the MPEG4 module's application) and says what the meter now\n"
    "holds. Every image the meter gets is carried in the programs.\n"
    ".\n")
  if(TARGET z82-update-gui)
    string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "The package holds the window z82-update-gui, the terminal wizard z82-update\n"
      "and the simulated meter z82-meter-sim, for trying the updater without\n"
      "hardware.")
  else()
    string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "The package holds the terminal wizard z82-update and the simulated meter\n"
      "z82-meter-sim, for trying the updater without hardware.")
  endif()
  # The libraries the programs link (the C++ runtime, Qt 6 for the window).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)

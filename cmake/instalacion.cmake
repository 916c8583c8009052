# What `cmake --install` puts where, and the packages CPack makes of it.
#
# Linux: the programs in bin/, the language file in share/z82-updater/ (where the faces
# look for it after the working folder and the program's folder), the window's desktop entry
# and icon, and the manual pages. Windows: z82-update-gui.exe, z82-update.exe, idiomas.ini
# and a short README side by side, packed as a ZIP.
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
  install(FILES ${CMAKE_SOURCE_DIR}/data/idiomas.ini
    DESTINATION ${CMAKE_INSTALL_DATADIR}/z82-updater)

  # The manual pages name the version and the data folder of this build.
  set(Z82_DIR_DATOS ${CMAKE_INSTALL_FULL_DATADIR}/z82-updater)
  foreach(programa IN LISTS Z82_PROGRAMAS)
    configure_file(${Z82_EMPAQUETADO}/${programa}.1 ${CMAKE_BINARY_DIR}/man/${programa}.1 @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/man/${programa}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()

  if(TARGET z82-update-gui)
    install(FILES ${Z82_EMPAQUETADO}/z82-update-gui.desktop
      DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${Z82_EMPAQUETADO}/z82-update-gui.svg
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  endif()
endif()

set(CPACK_PACKAGE_NAME z82-updater)
set(CPACK_PACKAGE_VENDOR "Z82 updater developers")
set(CPACK_PACKAGE_CONTACT "Z82 updater developers <z82-updater@localhost>")
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
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  # After the summary line: the terminal wizard, the window and the simulated meter.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The terminal wizard z82-update, the window z82-update-gui (when built) and the simulated meter z82-meter-sim. Every image the meter gets is carried in the programs.")
  # The libraries the programs link (the C++ runtime, Qt 6 for the window).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)

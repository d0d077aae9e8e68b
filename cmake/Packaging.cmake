# How the programs are installed (`cmake --install build --prefix DIR`) and
# packaged for Debian (`cpack -G DEB`, see scripts/package), in the Linux
# file layout: the programs in bin/, their status icons in share/zolin6/
# (where platform::StatusIconFolder looks), the menu entry and its icon
# under share/applications and share/icons, the user guide under share/doc.
include(GNUInstallDirs)

# Installing and packaging take what is built and build nothing more: the
# package needs the two programs, not every test program.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS zolin6-script RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES assets/connected.ico "assets/no connection.ico" DESTINATION share/zolin6)
if(TARGET zolin6)
  install(TARGETS zolin6 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES assets/zolin6.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES assets/zolin6.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES assets/zolin6-48.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps
          RENAME zolin6.png)
  # Help > User Guide looks for it there (share/doc/zolin6), with its pictures.
  install(FILES docs/user-guide.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(DIRECTORY docs/guide/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/guide FILES_MATCHING PATTERN "*.png")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zolin6)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ZOLIN-6 six-channel HART temperature transmitter: configure, observe, calibrate")
string(CONCAT CPACK_PACKAGE_DESCRIPTION "zolin6 is the user-interface program of the six-channel HART temperature "
       "transmitter, with a simulated transmitter behind it; zolin6-script is its headless scenario runner.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ZOLIN-6 developers <zolin6@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The Qt libraries the programs link are found by dpkg-shlibdeps; the SQL
# driver of the device history is a plugin Qt loads at run time, so it is
# named here (PostgreSQL only for those who keep the history there).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
include(CPack)

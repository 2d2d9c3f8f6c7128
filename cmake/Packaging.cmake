# Installing Keyloom and building its Debian package (cpack -G DEB).
set(CMAKE_INSTALL_DOCDIR share/doc/keyloom)
include(GNUInstallDirs)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/keyloom.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/keyloom.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/README.Debian ${PROJECT_SOURCE_DIR}/README.md
              ${PROJECT_SOURCE_DIR}/CHANGELOG.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME keyloom)
set(CPACK_PACKAGE_VENDOR "Tevrano")
set(CPACK_PACKAGE_CONTACT "Keyloom team <keyloom@tevrano.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for nine-key control panels")
set(CPACK_PACKAGE_DESCRIPTION
    "Keyloom edits the 512-byte memory image of a nine-key control panel, writes it into \
the panel over RS-232 and reads it back, and keeps copies in .SPD files. Includes \
keyloom-cli for scripts and keyloom-panel, a virtual panel. Serial ports need \
membership of the dialout group.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries come from what the programs link (dpkg-shlibdeps; Debian's
# libqt6gui6 carries the xcb platform plugin); the CJK font is only found at run
# time, so it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

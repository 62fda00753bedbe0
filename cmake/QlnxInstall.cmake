# The installation: the programs in bin/, the player's modules in lib/qlnx, the desktop
# files under share/, and the Debian package cpack makes of them. Libraries, tests, benchmarks
# and the demo-disc tool stay in the build tree.
include(GNUInstallDirs)

install(TARGETS qlnx qlnx-playd qlnxdc qlnxcd RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Where the player looks for its modules: lib/qlnx beside the bin/ it runs from.
install(TARGETS qlnx-audiosink qlnx-network LIBRARY DESTINATION lib/qlnx)
add_subdirectory(share)

set(QLNX_PACKAGE_CONTACT "qlnx developers <qlnx@localhost>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME qlnx)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QLNX_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Audio CD player with time-synchronised lyrics")
set(CPACK_PACKAGE_DESCRIPTION
    "qlnx plays audio CDs and disc images (CUE/BIN, TOC) and shows time-synchronised lyrics\nin a second window. qlnxdc converts older per-disc databases into its disc data files;\nqlnxcd lists drives, tracks and disc identities from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The libraries come from dpkg-shlibdeps; the plugins Qt loads at run time (the X11 platform,
# the audio backends) are in the packages of the libraries they belong to. The fonts stand in
# for the Windows fonts the settings name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "dbus-user-session")
set(CPACK_STRIP_FILES ON)
include(CPack)

# The Debian package: `cpack -G DEB` in the build folder makes dxcamviewer_<version>_<arch>.deb.
# Its dependencies are read from the shared libraries the program links (dpkg-shlibdeps).
set(DXCAM_PACKAGE_MAINTAINER "Marviton dxcamviewer team <dxcamviewer@marviton.de>" CACHE STRING
    "Maintainer field of the Debian package: Name <address>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dxcamviewer)
set(CPACK_PACKAGE_VENDOR Marviton)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${DXCAM_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for the cameras of a door-intercom installation")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${DXCAM_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${DXCAM_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as a plugin, so no library the program links names it: the call history's SQLite driver.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6sql6-sqlite)
# Qt's own German texts for its standard dialogs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
# The summary above is the synopsis; this is the long text (lines of at most 79 characters).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "DX-CAM Viewer shows the live pictures of up to 20 network cameras
(Motion-JPEG over HTTP, H.264 or H.265 over RTSP) in a grid, waits hidden in
the system tray, and pops a camera up when a door station calls or an input
of a camera/IO module becomes active. From the picture the user opens the
door, ends the call or switches the light.
.
It can start at login (dxcamviewer --autostart on). The settings live in
~/.config/dxcamviewer/dxcamviewer.ini.")

include(CPack)

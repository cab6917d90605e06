# The Debian package: `cpack -G DEB` in the build folder writes
# <build>/marlowin_<version>_<arch>.deb with what `cmake --install` puts under /usr.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marlowin)
set(CPACK_PACKAGE_VENDOR "Marlowin Project")
set(CPACK_PACKAGE_CONTACT "Marlowin Project <support@marlowin.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Line breaks are kept: the package's description is read in terminals 80 columns wide.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Marlowin subscribes to RSS 2.0, Atom 1.0 and podcast feeds, files them in"
  "categories and shows each feed in a tab of its own, with a preview of the"
  "selected item. Items can be opened in the browser, exported to HTML or text,"
  "or sent by e-mail. A scheduler checks chosen feeds from the tray and announces"
  "new items with a popup and a sound.")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build keeps its debug information; the package does not need it.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.marlowin.org/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The architecture is left to CPack, which asks dpkg for it.

# dpkg-shlibdeps finds the libraries the programs link (Qt Core, Gui, Widgets, Network,
# Multimedia, libcurl, pugixml, QtKeychain). What Qt and QtKeychain load at run time it cannot
# see:
# - libqt6svg6: the SVG icon engine; every icon of the program is an SVG;
# - qt6-translations-l10n: Qt's own texts (the standard buttons) in German and French;
# - libsecret-1-0: QtKeychain's way to the desktop's keyring, where the mail password is kept.
# The rest comes with the linked libraries: the xcb platform plugin and the GIF, ICO and JPEG
# readers with libqt6gui6 (qt6-qpa-plugins holds only VNC and TUIO), and the popup sound plays
# through the PulseAudio output built into libqt6multimedia6, which also carries its media
# plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n, libsecret-1-0")
# Feeds over https need the CA certificates; links and the help open through xdg-open; a
# Wayland session without qt6-wayland runs the program through XWayland; the popup sound needs
# a sound server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ca-certificates, xdg-utils, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pulseaudio | pipewire-pulse")

include(CPack)

# The Debian package, `make package`: what `cmake --install` lays out, under
# /usr. Its dependencies come from the shared libraries the program links
# (dpkg-shlibdeps), never from a hand-kept list.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME moonlit-harbor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "audiovisual demo with plasma, a sine scroller and a tracker tune")
# The long description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Moonlit Harbor draws a full-screen plasma in green and teal bands, a logo
strip swaying down the screen, info text with a drop shadow and a greeting
scrolling along a sine wave, while an original eight-channel tracker tune
plays. It needs no input: start it and watch.")
set(MOONLIT_PACKAGE_MAINTAINER "Moonlit Harbor authors <moonlit-harbor@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MOONLIT_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# "games" would ask for the program in /usr/games; a demo is not a game.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

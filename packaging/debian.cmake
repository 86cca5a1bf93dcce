# The Debian package (scripts/package.sh): the installed files come from the install rules; the
# libraries the programs link are found by dpkg-shlibdeps, and what Qt loads at run time (QML
# modules, plugins, fonts) is named below.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_CONTACT "Orvane <hello@orvane.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "free storage space in the home folder")
# The synopsis is the summary above; CPack indents these lines and marks the empty one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Orvane finds what takes up space in your home folder and removes what you
choose: caches, logs, the Trash, saved application state, browser traces,
large files, duplicate files and applications with the files they leave
behind. Every plan is reviewed before anything is removed.

The package holds the desktop application (orvane) and its command-line
front end (orvane-cli). Both speak English and Spanish.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qml6-module-qtquick, qml6-module-qtquick-controls, qml6-module-qtquick-layouts, qml6-module-qtquick-window, qml6-module-qtquick-templates, qml6-module-qtqml, qml6-module-qtqml-workerscript, qml6-module-qtquick-shapes, qt6-qpa-plugins, libqt6svg6, fonts-inter, fonts-material-design-icons-iconfont, fonts-noto-color-emoji")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "flatpak")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_SOURCE_IGNORE_FILES "/build/;/\\\\.git/")
include(CPack)

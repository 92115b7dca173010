# The release package. `cpack -G DEB` in a build folder packs everything `cmake --install`
# installs into ondrel_<version>_<arch>.deb under /usr; new install rules reach the package
# without being listed here.
set(CPACK_PACKAGE_NAME ondrel)
set(CPACK_PACKAGE_VENDOR Ondrel)
set(CPACK_PACKAGE_CONTACT "Ondrel <releases@ondrel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tasks and folders from what you say or type")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop client for a personal task service: speak or type a line, the service's AI \
turns it into tasks and folders, and the client shows them as tabs and cards.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Shared libraries are found by dpkg-shlibdeps; the QML modules the screens import are loaded
# at run time, so they are declared by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qml6-module-qtqml, qml6-module-qtquick, qml6-module-qtquick-controls, qml6-module-qtquick-layouts, \
qml6-module-qtquick-window, qml6-module-qtquick-templates, qml6-module-qtquick-dialogs, \
qml6-module-qtqml-workerscript, qml6-module-qtmultimedia")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

include(CPack)

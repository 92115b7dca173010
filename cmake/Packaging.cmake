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
# at run time, so they come from the list in RuntimeDependencies.cmake.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(${CMAKE_CURRENT_LIST_DIR}/RuntimeDependencies.cmake)
ondrel_qml_module_packages(ondrel_qml_packages ${ONDREL_QML_IMPORTS} ${ONDREL_QML_LOADED_BY_IMPORTS})
list(JOIN ondrel_qml_packages ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${ONDREL_RUNTIME_PROGRAM_PACKAGES}")
list(JOIN ONDREL_RECOMMENDED_PACKAGES ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)

include(CPack)

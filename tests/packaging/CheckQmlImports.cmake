# cmake -DQML_FOLDER=<OndrelUI/qml> -P CheckQmlImports.cmake
# Fails unless the package's list of QML modules holds exactly the modules the screens import:
# a missing one leaves the installed program unable to load its window, a stale one is noise.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/RuntimeDependencies.cmake)

file(GLOB screens ${QML_FOLDER}/*.qml)
set(imported "")
foreach(screen ${screens})
    file(STRINGS ${screen} lines REGEX "^[ \t]*import[ \t]+[A-Za-z]")
    list(TRANSFORM lines REPLACE "^[ \t]*import[ \t]+([A-Za-z0-9_.]+).*" "\\1")
    list(APPEND imported ${lines})
endforeach()
list(REMOVE_DUPLICATES imported)
list(REMOVE_ITEM imported Ondrel.UI)
set(unlisted ${imported})
list(REMOVE_ITEM unlisted ${ONDREL_QML_IMPORTS})
set(stale ${ONDREL_QML_IMPORTS})
list(REMOVE_ITEM stale ${imported})
if(NOT screens OR unlisted OR stale)
    message(FATAL_ERROR "in ${QML_FOLDER}, imported but not packaged: ${unlisted}; "
                        "packaged but imported nowhere: ${stale}")
endif()

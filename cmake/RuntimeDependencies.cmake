# What the installed program loads at run time beyond the shared libraries it links (those are
# found by dpkg-shlibdeps). Read by the package and by the check that every module a screen
# imports is here (tests/packaging), so this is the one place to add a module.

# Every module OndrelUI/qml/*.qml imports, Ondrel.UI aside.
set(ONDREL_QML_IMPORTS QtQuick QtQuick.Controls QtQuick.Layouts QtQuick.Shapes)

# Modules the imported ones load in turn: QtQuick brings QtQml with its models and worker
# script, the controls their templates (the Basic style main() picks ships with the controls).
set(ONDREL_QML_LOADED_BY_IMPORTS QtQml QtQml.Models QtQml.WorkerScript QtQuick.Templates)

# Packages of programs Ondrel starts: xdg-open opens the sign-in page in the browser and hands a
# verified update to the system's installer.
set(ONDREL_RUNTIME_PROGRAM_PACKAGES xdg-utils)

# Wanted but not needed to start: Wayland without XWayland, the folders' emoji in colour.
set(ONDREL_RECOMMENDED_PACKAGES qt6-wayland fonts-noto-color-emoji)

# The Debian package of a QML module: QtQuick.Shapes -> qml6-module-qtquick-shapes.
function(ondrel_qml_module_packages out)
    set(packages "")
    foreach(module ${ARGN})
        string(TOLOWER "${module}" name)
        string(REPLACE "." "-" name "${name}")
        list(APPEND packages "qml6-module-${name}")
    endforeach()
    set(${out} ${packages} PARENT_SCOPE)
endfunction()

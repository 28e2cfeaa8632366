# The Windows installer and the portable zip, made by CPack from the cross
# build (scripts/package-windows runs `cpack` in build/windows). The install
# rules in CMakeLists.txt are the one list of what ships: the installer
# installs exactly those files and its uninstaller removes exactly those.
#
# The installer's own steps (the marker file, the Start-menu entry, the
# Add/Remove Programs entry, 64-bit Program Files) are in NSIS.template.in
# beside this file, which CPack's NSIS generator fills in place of its own
# template: CPack's template offers none of these in the form the program
# relies on (the marker above all), and adds pages (licence, PATH) it does
# not need.
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME Vitrel)
set(CPACK_PACKAGE_VENDOR Vitrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Vitrel)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Vitrel)
set(CPACK_STRIP_FILES ON)
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
# Per generator: the installer is VitrelSetup-<version>.exe; the zip holds
# one folder named Vitrel (scripts/package-windows names it
# Vitrel-<version>-portable.zip).
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/package-names.cmake)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
include(CPack)

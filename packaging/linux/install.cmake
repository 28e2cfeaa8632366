# The installed Linux program and its Debian package.
#
# cmake --install lays out the usual tree: bin/vitrel, bin/vitrel-stick-sim,
# share/vitrel/ with the files the program ships (the same layout as a
# portable folder), the desktop entry, the menu icons, the AppStream
# metadata, the man pages and share/doc/vitrel; lib/vitrel/plugins/ holds the intro
# video's player. The program finds
# share/vitrel from its own location at run time. scripts/package turns the
# tree into build/vitrel_<version>_amd64.deb.
include(GNUInstallDirs)

set(VITREL_APP_ID org.vitrel.Vitrel)
set(VITREL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/vitrel)
set(VITREL_PACKAGING ${CMAKE_SOURCE_DIR}/packaging/linux)
set(VITREL_PACKAGING_BUILD ${CMAKE_BINARY_DIR}/packaging)
# "make install" and cpack build nothing themselves (the full build includes
# every test): scripts/package builds the two programs first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS vitrel vitrel-stick-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The intro video's player, loaded from lib/vitrel/plugins beside bin/ when the
# Intro page is first shown.
install(TARGETS vitrel-intro-video LIBRARY DESTINATION lib/vitrel/plugins)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/share DESTINATION ${VITREL_DATA_DIR})
# The help books, made by the build (help_books in CMakeLists.txt).
install(FILES ${RUN_DIR}/docs/VitrelHelp.htb DESTINATION ${VITREL_DATA_DIR}/docs)
foreach(language ${VITREL_HELP_LANGUAGES})
  install(FILES ${RUN_DIR}/docs/${language}/VitrelHelp.htb DESTINATION ${VITREL_DATA_DIR}/docs/${language})
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/data/VitrelTreatmentsList.xml
              ${CMAKE_SOURCE_DIR}/data/VitrelFrequencyMeasurement.csv
        DESTINATION ${VITREL_DATA_DIR})

# The message catalogues, and the desktop entry and AppStream file with
# their translations (cmake/translations.cmake).
install(DIRECTORY ${RUN_DIR}/locale/ DESTINATION ${CMAKE_INSTALL_LOCALEDIR})
install(FILES ${VITREL_TRANSLATED}/${VITREL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VITREL_TRANSLATED}/${VITREL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128)
  install(FILES ${VITREL_PACKAGING}/icons/vitrel-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${VITREL_APP_ID}.png)
endforeach()

# Man pages and the changelog (changelog.gz: a native package) go in
# compressed, without time stamps.
file(MAKE_DIRECTORY ${VITREL_PACKAGING_BUILD})
# The man pages take the version from project().
foreach(page vitrel.1 vitrel-stick-sim.1)
  configure_file(${VITREL_PACKAGING}/${page} ${VITREL_PACKAGING_BUILD}/${page} @ONLY)
  execute_process(COMMAND gzip -9nc ${VITREL_PACKAGING_BUILD}/${page}
                  OUTPUT_FILE ${VITREL_PACKAGING_BUILD}/${page}.gz)
endforeach()
execute_process(COMMAND gzip -9nc ${VITREL_PACKAGING}/changelog
                OUTPUT_FILE ${VITREL_PACKAGING_BUILD}/changelog.gz)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${VITREL_PACKAGING}/vitrel.1 ${VITREL_PACKAGING}/vitrel-stick-sim.1
             ${VITREL_PACKAGING}/changelog)
install(FILES ${VITREL_PACKAGING_BUILD}/vitrel.1.gz ${VITREL_PACKAGING_BUILD}/vitrel-stick-sim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${VITREL_PACKAGING}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vitrel)
install(FILES ${VITREL_PACKAGING_BUILD}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vitrel )

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vitrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Vitrel <support@vitrel.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vitrel <support@vitrel.org>")
set(CPACK_DEBIAN_FILE_NAME vitrel_${PROJECT_VERSION}_amd64.deb)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://vitrel.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The intro video's media control aborts the program without plugins-base,
# and draws nothing without the X sink.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-x")
# The toolkit's own texts (the print preview's buttons, its message boxes)
# in the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wx3.2-i18n")
# CPack indents the lines after the first (the synopsis) and turns an empty
# line into a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "companion program of the Vitrel magnetic field stick
The Vitrel stick is a small battery-powered pulsed-magnetic-field device
that attaches over USB as a serial port. This program finds the stick and
shows its battery level, writes a treatment from its catalogue or a
hand-made firing pattern into the stick, reads the stored pattern back,
switches the field and the beeper, and keeps a diary of dated entries.

The simulated stick vitrel-stick-sim lets you try the program without a
stick. To reach a real stick, the user must be in the dialout group.")
include(CPack)

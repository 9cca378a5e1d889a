# Installing the game as an ordinary Linux desktop game, and its Debian package (make package).

include(GNUInstallDirs)

# Where the executable goes under the prefix: bin, or games as Debian keeps its games.
set(VELLORAN_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR} CACHE STRING
    "Folder of the executable, under the install prefix (bin or games)")
set(velloran_datadir ${CMAKE_INSTALL_DATADIR}/velloran)
set(velloran_icons ${PROJECT_SOURCE_DIR}/assets/icons)
set(velloran_packaging ${PROJECT_SOURCE_DIR}/packaging)

# The game looks for its song, thunder and help beside itself, then in the data folder of the
# install it runs from (found from its own folder, so a moved install still works), then in
# the one it was built for.
file(RELATIVE_PATH velloran_data_from_program ${CMAKE_INSTALL_PREFIX}/${VELLORAN_INSTALL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${velloran_datadir})
set_property(SOURCE windows/game_files.cpp APPEND PROPERTY COMPILE_DEFINITIONS
             VELLORAN_DATA_FROM_PROGRAM="${velloran_data_from_program}"
             VELLORAN_DATA_FOLDER="${CMAKE_INSTALL_FULL_DATADIR}/velloran")
target_compile_definitions(velloran PRIVATE VELLORAN_VERSION="${PROJECT_VERSION}")

install(TARGETS velloran RUNTIME DESTINATION ${VELLORAN_INSTALL_BINDIR})
install(FILES assets/quiven1.mid assets/Thunder2.wav assets/VLR.hlp DESTINATION ${velloran_datadir})
file(GLOB velloran_icon_files ${velloran_icons}/velloran-*.png)
foreach(icon IN LISTS velloran_icon_files)
  string(REGEX REPLACE ".*-([0-9]+)\\.png$" "\\1" size ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME velloran.png)
endforeach()
# The man page and the changelog go compressed, as Debian keeps them (-n: no name or time in
# the header, so a rebuild gives the same bytes).
foreach(name velloran.6 changelog)
  add_custom_command(OUTPUT ${name}.gz
                     COMMAND gzip -9nc ${velloran_packaging}/${name} > ${name}.gz
                     DEPENDS ${velloran_packaging}/${name} VERBATIM)
endforeach()
add_custom_target(velloran_compressed_docs ALL DEPENDS velloran.6.gz changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/velloran.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${velloran_packaging}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${velloran_packaging}/org.velloran.velloran.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The desktop entry starts the executable by its full path (root's PATH has no games folder),
# taken from the prefix in force when installing, so cmake --install --prefix moves it too.
# Written straight to its place: installs into several prefixes at once share nothing.
install(CODE "
  set(exec \"\${CMAKE_INSTALL_PREFIX}/${VELLORAN_INSTALL_BINDIR}/velloran\")
  set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/org.velloran.velloran.desktop\")
  message(STATUS \"Installing: \${entry}\")
  configure_file(\"${velloran_packaging}/org.velloran.velloran.desktop.in\" \"\${entry}\" @ONLY)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${entry}\")")

# The Debian package: the shared libraries the game links, and the fonts and the soundfont
# of tools/debian-packages-run.txt, which it draws and plays with.
file(STRINGS ${PROJECT_SOURCE_DIR}/tools/debian-packages-run.txt velloran_run_packages
     REGEX "^[a-z0-9]")
list(JOIN velloran_run_packages ", " velloran_run_depends)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velloran)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "falling-tile mahjong game")
set(CPACK_PACKAGE_DESCRIPTION "Steer falling mahjong tiles into pairs, trios and runs, and build
winning hands scored by classic mahjong patterns. The five best scores
are kept.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velloran developers <velloran@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS ${velloran_run_depends})
set(CPACK_STRIP_FILES ON)
include(CPack)

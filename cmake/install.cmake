# Installing the game as an ordinary Linux desktop game, and its Debian package (make package).

include(GNUInstallDirs)

# What the project has no address for yet stays out unless a packager names one.
set(VELLORAN_HOMEPAGE "" CACHE STRING "The game's web page, named in the metainfo (none by default)")
set(VELLORAN_SCREENSHOT_URL "" CACHE STRING
    "Where packaging/screenshot.png is published, for the metainfo (none by default)")
# Debian wants a name and an address; the project has no address of its own, so whoever makes
# the package names the maintainer: this setting, else DEBFULLNAME and DEBEMAIL as Debian's
# tools read them, else the name alone (which dpkg takes and lintian reports).
set(VELLORAN_MAINTAINER "" CACHE STRING
    "The Debian package's maintainer, \"Name <address>\" (empty: DEBFULLNAME <DEBEMAIL>)")
if(VELLORAN_MAINTAINER)
  set(velloran_maintainer "${VELLORAN_MAINTAINER}")
elseif(NOT "$ENV{DEBFULLNAME}" STREQUAL "" AND NOT "$ENV{DEBEMAIL}" STREQUAL "")
  set(velloran_maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
else()
  set(velloran_maintainer "Velloran developers")
endif()

# The same sources give the same package wherever they are built: folders are made with the
# same permissions whatever the umask (the program holds no build folder: see the compile
# options).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

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
             VELLORAN_DATA_FOLDER="${CMAKE_INSTALL_FULL_DATADIR}/velloran"
             VELLORAN_PROGRAM_FOLDER="${CMAKE_INSTALL_PREFIX}/${VELLORAN_INSTALL_BINDIR}")
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
# The changelog is signed by the package's maintainer.
configure_file(${velloran_packaging}/changelog.in changelog @ONLY)
foreach(file ${velloran_packaging}/velloran.6 ${CMAKE_CURRENT_BINARY_DIR}/changelog)
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${name}.gz COMMAND gzip -9nc ${file} > ${name}.gz DEPENDS ${file}
                     VERBATIM)
endforeach()
add_custom_target(velloran_compressed_docs ALL DEPENDS velloran.6.gz changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/velloran.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${velloran_packaging}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(VELLORAN_METAINFO_LINKS "")
if(VELLORAN_HOMEPAGE)
  string(APPEND VELLORAN_METAINFO_LINKS "  <url type=\"homepage\">${VELLORAN_HOMEPAGE}</url>\n")
endif()
if(VELLORAN_SCREENSHOT_URL)
  string(APPEND VELLORAN_METAINFO_LINKS "  <screenshots>
    <screenshot type=\"default\">
      <caption>A game in progress at the table</caption>
      <image>${VELLORAN_SCREENSHOT_URL}</image>
    </screenshot>
  </screenshots>\n")
endif()
configure_file(${velloran_packaging}/org.velloran.velloran.metainfo.xml.in
               org.velloran.velloran.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/org.velloran.velloran.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The desktop entry starts the executable by its full path (root's PATH has no games folder),
# taken from the prefix in force when installing, so cmake --install --prefix moves it too.
# Written straight to its place: installs into several prefixes at once share nothing.
install(CODE "
  set(exec \"\${CMAKE_INSTALL_PREFIX}/${VELLORAN_INSTALL_BINDIR}/velloran\")
  set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/org.velloran.velloran.desktop\")
  message(STATUS \"Installing: \${entry}\")
  # A folder made here gets the same permissions as those install() makes, whatever the umask.
  get_filename_component(folder \"\${entry}\" DIRECTORY)
  if(NOT EXISTS \"\${folder}\")
    file(MAKE_DIRECTORY \"\${folder}\")
    file(CHMOD \"\${folder}\" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
  configure_file(\"${velloran_packaging}/org.velloran.velloran.desktop.in\" \"\${entry}\" @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${entry}\")")

# The Debian package: the shared libraries the game links, and what
# tools/debian-packages-run.txt names: the libraries it opens itself, the fonts and the
# soundfont.
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
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${velloran_maintainer}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS ${velloran_run_depends})
# The frames SDL draws around a window on a Wayland desktop without its own.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libdecor-0-plugin-1-cairo)
if(VELLORAN_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VELLORAN_HOMEPAGE})
endif()
# The package's times are those of the last commit, so that a rebuild gives the same bytes;
# read when the package is made, and left alone when the builder sets them.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/velloran_package_time.cmake)
file(CONFIGURE OUTPUT ${CPACK_PROJECT_CONFIG_FILE} CONTENT [[
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C "@PROJECT_SOURCE_DIR@" log -1 --format=%ct
                  OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(time MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} ${time})
  endif()
endif()
]] @ONLY)
set(CPACK_STRIP_FILES ON)
include(CPack)

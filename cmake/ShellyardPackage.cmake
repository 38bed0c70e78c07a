# What `cmake --install` puts beside the program (desktop entry, icons, AppStream metainfo, manual
# page, copyright and changelog) and how `cpack -G DEB` turns that into shellyard_<version>_<arch>.deb.
# The package's version is the project's one version number.
include(GNUInstallDirs)

set(SHELLYARD_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(SHELLYARD_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)
set(SHELLYARD_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/shellyard)

# Dates in the changelog, manual page and metainfo: SOURCE_DATE_EPOCH when the caller sets it, else
# the last commit's time, so that building the same commit twice gives the same files.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE git_result ERROR_QUIET)
  if(git_result EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
  endif()
endif()
string(TIMESTAMP SHELLYARD_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP SHELLYARD_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

# The pictures' licences, one line each, from the table in PICTURES.md.
set(pictures_md ${PROJECT_SOURCE_DIR}/src/resources/PICTURES.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${pictures_md})
file(STRINGS ${pictures_md} picture_rows ENCODING UTF-8 REGEX "^\\| `")
set(SHELLYARD_PICTURE_LINES "")
foreach(row IN LISTS picture_rows)
  string(REPLACE "`" "" row "${row}")
  if(NOT row MATCHES "^\\| ([^|]+) \\| ([^|]+) \\| ([^|]+) \\| ([^|]+) \\| ([^|]+) \\|$")
    message(FATAL_ERROR "PICTURES.md: a row of the pictures table does not have five columns: ${row}")
  endif()
  string(APPEND SHELLYARD_PICTURE_LINES
         " ${CMAKE_MATCH_1} (${CMAKE_MATCH_2}; ${CMAKE_MATCH_3}): ${CMAKE_MATCH_4}; ${CMAKE_MATCH_5}.\n")
endforeach()
string(STRIP "${SHELLYARD_PICTURE_LINES}" SHELLYARD_PICTURE_LINES)
set(SHELLYARD_PICTURE_LINES " ${SHELLYARD_PICTURE_LINES}")

# The home page (cmake/ShellyardAddresses.cmake) where the build names one; without, none is claimed.
if(SHELLYARD_HOMEPAGE STREQUAL "")
  set(SHELLYARD_COPYRIGHT_SOURCE "")
  set(SHELLYARD_METAINFO_HOMEPAGE "")
else()
  set(SHELLYARD_COPYRIGHT_SOURCE "\nSource: ${SHELLYARD_HOMEPAGE}")
  set(SHELLYARD_METAINFO_HOMEPAGE "\n  <url type=\"homepage\">${SHELLYARD_HOMEPAGE}</url>")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${SHELLYARD_HOMEPAGE}")
endif()

configure_file(${SHELLYARD_PACKAGING}/copyright.in ${SHELLYARD_PACKAGING_OUT}/copyright @ONLY)
configure_file(${SHELLYARD_PACKAGING}/shellyard.metainfo.xml.in
               ${SHELLYARD_PACKAGING_OUT}/org.shellyard.Shellyard.metainfo.xml @ONLY)
configure_file(${SHELLYARD_PACKAGING}/shellyard.1.in ${SHELLYARD_PACKAGING_OUT}/shellyard.1 @ONLY)
configure_file(${SHELLYARD_PACKAGING}/changelog.in ${SHELLYARD_PACKAGING_OUT}/changelog @ONLY)
# Debian keeps manual pages and changelogs compressed, without a name or time in the gzip header.
foreach(plain shellyard.1 changelog)
  execute_process(COMMAND gzip -9 -n -c ${SHELLYARD_PACKAGING_OUT}/${plain}
                  OUTPUT_FILE ${SHELLYARD_PACKAGING_OUT}/${plain}.gz RESULT_VARIABLE gzip_result)
  if(NOT gzip_result EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${plain}")
  endif()
endforeach()

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(FILES ${SHELLYARD_PACKAGING}/shellyard.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/src/resources/pictures/aaaa.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps RENAME shellyard.png)
foreach(size 16 32 256)
  install(FILES ${SHELLYARD_PACKAGING}/icons/shellyard-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME shellyard.png)
endforeach()
install(FILES ${SHELLYARD_PACKAGING_OUT}/org.shellyard.Shellyard.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${SHELLYARD_PACKAGING_OUT}/shellyard.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The README is what Upgrade and Donation open without a home page: it says how to update.
install(FILES ${SHELLYARD_PACKAGING_OUT}/copyright ${SHELLYARD_PACKAGING_OUT}/changelog.gz
        ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${SHELLYARD_DOCDIR})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME shellyard)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Shellyard developers")
set(CPACK_PACKAGE_CONTACT "${SHELLYARD_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "session manager for the PuTTY terminal program")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Shellyard keeps SSH and Telnet sites in a local SQLite file shown as a
tree. Connecting a site starts PuTTY and embeds its terminal as a tab of
one main window, logging in by itself where a user name and password are
stored. A Multi Command Sender types one command into every open
terminal, Quick Login opens a host that is not stored, and a monitor tab
draws live CPU and free-memory charts of a host through PLink.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the program links (wxWidgets, GTK, SQLite, Xlib, XTest, ...) as dpkg-shlibdeps
# finds them, plus the programs it drives and the charts' fonts, which no library check can see.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "putty, putty-tools, fonts-liberation")
# The web-page tools and About links open the default browser (or the README) through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)

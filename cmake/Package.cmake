# SPDX-License-Identifier: MIT
# The Debian package, brivel_<version>_<arch>.deb: CPack's DEB generator over
# the installed layout. scripts/package.sh configures a build for it (prefix
# /usr, BRIVEL_INSTALLED_LAYOUT) and runs cpack.

set(BRIVEL_PACKAGE_MAINTAINER "The Brivel developers <developers@brivel.org>"
  CACHE STRING "Maintainer of the Debian package")

# What every Debian package carries in its documentation folder: the
# licence and a changelog, compressed the Debian way (gzip -9n) like the
# manual page.
set(_docdir "${CMAKE_INSTALL_DATADIR}/doc/brivel")
set(_changelog "${CMAKE_CURRENT_BINARY_DIR}/package/changelog")
# Dated by the last commit; a tree without git history by the time it is
# configured (SOURCE_DATE_EPOCH, where set).
execute_process(COMMAND git log -1 --format=%aD WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
  OUTPUT_VARIABLE _date OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT _date)
  string(TIMESTAMP _date "%a, %d %b %Y %H:%M:%S +0000" UTC)
endif()
file(WRITE "${_changelog}"
  "brivel (${PROJECT_VERSION}) stable; urgency=medium\n\n"
  "  * Brivel ${PROJECT_VERSION}.\n\n"
  " -- ${BRIVEL_PACKAGE_MAINTAINER}  ${_date}\n")
execute_process(COMMAND gzip -9nf "${_changelog}")
install(FILES "${_changelog}.gz" DESTINATION "${_docdir}" RENAME changelog.gz)
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION "${_docdir}" RENAME copyright)
# The manual page of the command.
configure_file("${PROJECT_SOURCE_DIR}/resources/brivel.1.in" "${CMAKE_CURRENT_BINARY_DIR}/package/brivel.1"
  @ONLY)
execute_process(COMMAND gzip -9nf "${CMAKE_CURRENT_BINARY_DIR}/package/brivel.1")
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/package/brivel.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brivel)
set(CPACK_PACKAGE_VENDOR "The Brivel developers")
set(CPACK_PACKAGE_CONTACT "${BRIVEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "countdown timer that rings when the time is up")
set(CPACK_PACKAGE_DESCRIPTION "Brivel is a small desktop countdown timer. Type a number of minutes,\n\
fractions allowed, press Start, and watch the time run down in the entry\n\
field and in the title bar. When one second is left a telephone ring\n\
sounds and a short memo turns bold red. Pause, resume, reset, mute, two\n\
built-in rings or any wave file, and always-on-top come with it.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the binaries, not from a hand-kept list.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The main window's captions are laid out for Liberation Sans (Arial's
# metrics); About > System Info starts hardinfo when it is there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2 | fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS hardinfo)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_OUTPUT_FILE_PREFIX "${CMAKE_BINARY_DIR}/package")
include(CPack)

# SPDX-License-Identifier: MIT
# cmake --install <build> --prefix P lays Brivel out as
#   P/lib/brivel/              the program folder: Brivel, Winhlp32.exe, the
#                              rings, "Brivel Help.hlp", machine.reg, and the
#                              sound module brivel-sound.so
#   P/bin/brivel               a relative link to ../lib/brivel/Brivel; Brivel
#                              finds its folder from /proc/self/exe, so the
#                              program folder stays its own
#   P/share/applications/, P/share/metainfo/, P/share/icons/hicolor/
#   P/share/doc/brivel/        copyright and changelog.gz, and
#   P/share/man/man1/brivel.1.gz   (both from Package.cmake)
# The help file, machine hive and sound module paths are fixed when Brivel is built: for an
# installed Brivel, configure with -DBRIVEL_INSTALLED_LAYOUT=ON and the
# CMAKE_INSTALL_PREFIX it is installed to.

# The one reverse-DNS name of the desktop entry, the metainfo and the icon.
set(BRIVEL_APP_ID "org.brivel.Brivel")

install(TARGETS Brivel RUNTIME DESTINATION "${BRIVEL_INSTALL_PROGDIR}")
install(TARGETS brivel_sound LIBRARY DESTINATION "${BRIVEL_INSTALL_PROGDIR}")
install(TARGETS helpviewer RUNTIME DESTINATION "${BRIVEL_INSTALL_PROGDIR}")
install(FILES "${BRIVEL_PROGRAM_DIR}/Phonenew.wav" "${BRIVEL_PROGRAM_DIR}/Phonerng.wav"
  "${PROJECT_SOURCE_DIR}/resources/Brivel Help.hlp" "${PROJECT_SOURCE_DIR}/resources/machine.reg"
  DESTINATION "${BRIVEL_INSTALL_PROGDIR}")

# The command on PATH. The link is relative, so the installed tree can move.
file(RELATIVE_PATH _brivel_link_target "/prefix/${CMAKE_INSTALL_BINDIR}"
  "/prefix/${BRIVEL_INSTALL_PROGDIR}/Brivel")
install(CODE "
  set(_bindir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  message(STATUS \"Installing: \${_bindir}/brivel -> ${_brivel_link_target}\")
  file(MAKE_DIRECTORY \"\${_bindir}\")
  file(REMOVE \"\${_bindir}/brivel\")
  file(CREATE_LINK \"${_brivel_link_target}\" \"\${_bindir}/brivel\" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${_bindir}/brivel\")
")

install(FILES "${PROJECT_SOURCE_DIR}/resources/${BRIVEL_APP_ID}.desktop"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${PROJECT_SOURCE_DIR}/resources/${BRIVEL_APP_ID}.metainfo.xml"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
foreach(_size IN ITEMS 16 32)
  install(FILES "${PROJECT_SOURCE_DIR}/resources/brivel-${_size}.png"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps"
    RENAME "${BRIVEL_APP_ID}.png")
endforeach()
install(FILES "${PROJECT_SOURCE_DIR}/resources/brivel.svg"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
  RENAME "${BRIVEL_APP_ID}.svg")

# SPDX-License-Identifier: MIT
# The installed Brivel: the tests defined at the end each run this file as a script.
#   layout:  cmake --install into a scratch prefix gives the program folder, the command as a
#            relative link, the desktop entry, metainfo and icons; appstreamcli accepts them.
#   start:   the installed command opens its window; F1 starts the installed viewer (real).
#   package: scripts/package.sh makes a package lintian accepts, its dependencies found in the
#            binaries and its paths fixed into /usr/lib/brivel; unpacked, it passes both.
if(CMAKE_SCRIPT_MODE_FILE)
  set(WORK "${BUILD}/tests/install-${CHECK}")
  set(P "${WORK}/prefix")
  file(REMOVE_RECURSE "${WORK}")
  macro(expect condition message)
    set(_message "\n  ${message}")
    cmake_language(EVAL CODE "if(NOT (${condition}))\nstring(APPEND failures \"\${_message}\")\nendif()")
  endmacro()
  if(CHECK STREQUAL "package")
    execute_process(COMMAND "${SOURCE}/scripts/package.sh" "${WORK}" RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_VARIABLE _out)
    file(GLOB deb "${WORK}/brivel_*_*.deb")
    if(NOT _rc EQUAL 0 OR NOT deb)
      message(FATAL_ERROR "scripts/package.sh made no package:\n${_out}")
    endif()
    execute_process(COMMAND lintian "${deb}" RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
    expect("_rc EQUAL 0" "lintian:\n${_out}")
    execute_process(COMMAND dpkg-deb -f "${deb}" Depends OUTPUT_VARIABLE _depends)
    expect("_depends MATCHES \"libpulse0.*libqt6widgets6.*libsndfile1\"" "the package depends on ${_depends}")
    execute_process(COMMAND dpkg-deb -x "${deb}" "${WORK}/root")
    set(P "${WORK}/root/usr")
    set(BUILD "${SOURCE}/build-package")
  else()
    execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${P}" RESULT_VARIABLE _rc OUTPUT_QUIET)
    expect("_rc EQUAL 0" "cmake --install failed")
  endif()
  # The help file, machine hive and sound module the build fixed.
  file(STRINGS "${BUILD}/src/generated/BuildConfig.h" _paths REGEX "#define BRIVEL_(HELP_FILE|MACHINE_HIVE|SOUND_MODULE) ")
  string(REGEX REPLACE "#define BRIVEL_[A-Z_]+ \"([^\"]*)\"" "\\1" _paths "${_paths}")
  expect("NOT CHECK STREQUAL package OR _paths MATCHES \"^/usr/lib/brivel/Brivel Help.hlp;/usr/lib/brivel/machine.reg;/usr/lib/brivel/brivel-sound.so$\""
         "the package's Brivel looks for its files in ${_paths}")
  set(progdir "${P}/lib/brivel")

  if(CHECK MATCHES "layout|package")
    foreach(_file IN ITEMS Brivel Winhlp32.exe Phonenew.wav Phonerng.wav brivel-sound.so "Brivel Help.hlp" machine.reg
        ../../share/applications/${APP_ID}.desktop ../../share/metainfo/${APP_ID}.metainfo.xml
        ../../share/icons/hicolor/scalable/apps/${APP_ID}.svg)
      expect("EXISTS \"${progdir}/${_file}\"" "missing ${_file}")
    endforeach()
    # A relative link: the program folder is found through it, and the tree can move.
    file(READ_SYMLINK "${P}/bin/brivel" _target)
    file(REAL_PATH "${P}/bin/brivel" _real)
    expect("NOT IS_ABSOLUTE \"${_target}\" AND _real STREQUAL \"${progdir}/Brivel\"" "bin/brivel leads to ${_target}")
    execute_process(COMMAND appstreamcli validate-tree --no-net "${P}" RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
    expect("_rc EQUAL 0" "appstreamcli validate-tree:\n${_out}")
  endif()
  if(CHECK MATCHES "start|package")
    list(GET _paths 0 help)
    # A settings store of its own, so that no user's choice is read.
    execute_process(COMMAND sh -c "XDG_CONFIG_HOME=\"$1\" \"$0\" >\"$1/brivel.log\" 2>&1 & echo $!"
      "${P}/bin/brivel" "${WORK}" OUTPUT_VARIABLE pid OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND xdotool search --sync --onlyvisible --pid ${pid} --name "^Brivel$" windowactivate --sync key --clearmodifiers F1 TIMEOUT 20 RESULT_VARIABLE _rc)
    expect("_rc EQUAL 0" "bin/brivel showed no window \"Brivel\" to press F1 in")
    # The viewer is the program that owns the window, ended by its own pid.
    execute_process(COMMAND sh -c "timeout 20 xdotool search --sync --onlyvisible --name '^Brivel Help$' | head -n 1 | xargs -r xdotool getwindowpid"
      OUTPUT_VARIABLE viewer OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ps -ww -o args= -p "${viewer}" OUTPUT_VARIABLE _args OUTPUT_STRIP_TRAILING_WHITESPACE)
    expect("_args STREQUAL \"${progdir}/Winhlp32.exe -topic 1 ${help}\"" "F1 did not start the installed viewer at topic 1: ${_args}")
    execute_process(COMMAND kill ${viewer} ${pid} ERROR_QUIET)
  endif()

  if(failures)
    message(FATAL_ERROR "install ${CHECK}:${failures}")
  endif()
  file(REMOVE_RECURSE "${WORK}")
  return()
endif()

# The desktop entry passes the desktop's own validator (the metainfo: appstreamcli in layout).
add_test(NAME install_desktop_entry COMMAND desktop-file-validate "${PROJECT_SOURCE_DIR}/resources/${BRIVEL_APP_ID}.desktop")
set_tests_properties(install_desktop_entry PROPERTIES LABELS install FAIL_REGULAR_EXPRESSION "error:|warning:")
foreach(_check IN ITEMS layout start package)
  add_test(NAME install_${_check} COMMAND "${CMAKE_COMMAND}" -DCHECK=${_check} "-DBUILD=${CMAKE_BINARY_DIR}"
    "-DSOURCE=${PROJECT_SOURCE_DIR}" "-DAPP_ID=${BRIVEL_APP_ID}" -P "${CMAKE_CURRENT_LIST_FILE}")
endforeach()
set_tests_properties(install_layout PROPERTIES LABELS install)
add_test(NAME real_wayland COMMAND "${CMAKE_CURRENT_LIST_DIR}/platform/real_wayland.sh" "${BRIVEL_PROGRAM_DIR}")
set_tests_properties(install_start install_package real_wayland PROPERTIES LABELS "real;install" RESOURCE_LOCK desktop)

# SPDX-License-Identifier: MIT
# The installed Brivel. Included from tests/CMakeLists.txt, this file defines
# the tests; each test runs this same file as a script for its check:
#   cmake -DCHECK=layout|paths|start -DBUILD=<build> -DSOURCE=<source> ... -P install.cmake
#
#   layout: cmake --install into a scratch prefix gives the program folder,
#           the command, the desktop entry, the metainfo and the icons,
#           and appstreamcli accepts the installed tree;
#   paths:  a build configured for the installed layout fixes the help file,
#           machine hive and sound module into PREFIX/lib/brivel (configure
#           only);
#   start:  the installed command opens the main window, and its F1 starts
#           the viewer from the installed program folder (real desktop).

if(CMAKE_SCRIPT_MODE_FILE)
  set(WORK "${BUILD}/tests/install-${CHECK}")
  file(REMOVE_RECURSE "${WORK}")
  file(MAKE_DIRECTORY "${WORK}")
  set(failures "")
  macro(fail message)
    list(APPEND failures "${message}")
  endmacro()

  # The help file, machine hive and sound module paths a configured build
  # fixed, as "help|hive|module".
  function(read_build_paths build out_var)
    file(STRINGS "${build}/src/generated/BuildConfig.h" _lines
      REGEX "#define BRIVEL_(HELP_FILE|MACHINE_HIVE|SOUND_MODULE) ")
    foreach(_key IN ITEMS HELP_FILE MACHINE_HIVE SOUND_MODULE)
      set(_path_${_key} "")
      foreach(_line IN LISTS _lines)
        if(_line MATCHES "BRIVEL_${_key} \"(.*)\"")
          set(_path_${_key} "${CMAKE_MATCH_1}")
        endif()
      endforeach()
    endforeach()
    set(${out_var} "${_path_HELP_FILE}|${_path_MACHINE_HIVE}|${_path_SOUND_MODULE}" PARENT_SCOPE)
  endfunction()

  function(install_into prefix)
    execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${prefix}"
      RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "cmake --install failed:\n${_out}")
    endif()
  endfunction()

  if(CHECK STREQUAL "layout")
    set(P "${WORK}/prefix")
    install_into("${P}")
    set(progdir "${P}/lib/brivel")
    foreach(_file IN ITEMS Brivel Winhlp32.exe)
      execute_process(COMMAND test -f "${progdir}/${_file}" -a -x "${progdir}/${_file}"
        RESULT_VARIABLE _rc)
      if(NOT _rc EQUAL 0)
        fail("no executable lib/brivel/${_file}")
      endif()
    endforeach()
    foreach(_file IN ITEMS lib/brivel/Phonenew.wav lib/brivel/Phonerng.wav lib/brivel/brivel-sound.so
        "lib/brivel/Brivel Help.hlp" lib/brivel/machine.reg
        "share/applications/${APP_ID}.desktop" "share/metainfo/${APP_ID}.metainfo.xml"
        "share/icons/hicolor/scalable/apps/${APP_ID}.svg")
      if(NOT EXISTS "${P}/${_file}")
        fail("missing ${_file}")
      endif()
    endforeach()
    # The command is a relative link, so that the program folder is found
    # through it and the tree can be moved.
    if(NOT IS_SYMLINK "${P}/bin/brivel")
      fail("bin/brivel is not a link")
    else()
      file(READ_SYMLINK "${P}/bin/brivel" _target)
      file(REAL_PATH "${P}/bin/brivel" _real)
      file(REAL_PATH "${progdir}/Brivel" _exe)
      if(IS_ABSOLUTE "${_target}")
        fail("bin/brivel points to an absolute path: ${_target}")
      elseif(NOT _real STREQUAL _exe)
        fail("bin/brivel leads to ${_real}, not to ${_exe}")
      endif()
    endif()
    # Each theme icon has the size of its folder (PNG width and height).
    foreach(_size IN ITEMS 16 32)
      set(_icon "${P}/share/icons/hicolor/${_size}x${_size}/apps/${APP_ID}.png")
      if(EXISTS "${_icon}")
        file(READ "${_icon}" _head OFFSET 16 LIMIT 8 HEX)
        string(SUBSTRING "${_head}" 0 8 _wh)
        string(SUBSTRING "${_head}" 8 8 _hh)
        math(EXPR _w "0x${_wh}")
        math(EXPR _h "0x${_hh}")
        if(NOT (_w EQUAL _size AND _h EQUAL _size))
          fail("icon ${_size}x${_size} is ${_w}x${_h}")
        endif()
      else()
        fail("missing icon ${_size}x${_size}")
      endif()
    endforeach()
    # The metainfo, desktop entry and icon agree with each other as installed.
    execute_process(COMMAND appstreamcli validate-tree --no-net "${P}"
      RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
    if(NOT _rc EQUAL 0)
      fail("appstreamcli validate-tree:\n${_out}")
    endif()

  elseif(CHECK STREQUAL "paths")
    # The build under test keeps its paths in its own program folder, or in
    # the installed one when it was configured for that ...
    if(INSTALLED_LAYOUT)
      set(_progdir "${PREFIX}/lib/brivel")
    else()
      set(_progdir "${BUILD}/bin")
    endif()
    read_build_paths("${BUILD}" paths)
    set(_expected "${_progdir}/Brivel Help.hlp|${_progdir}/machine.reg|${_progdir}/brivel-sound.so")
    if(NOT paths STREQUAL _expected)
      fail("the build's paths lead out of ${_progdir}: ${paths}")
    endif()
    # ... and one configured for /usr keeps them in /usr/lib/brivel, though
    # the library folder there is a multiarch one.
    execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${WORK}/build" -G "${GENERATOR}"
      "-DCMAKE_CXX_COMPILER=${CXX}" -DBRIVEL_TESTS=OFF -DBRIVEL_INSTALLED_LAYOUT=ON
      -DCMAKE_INSTALL_PREFIX=/usr
      RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "configure failed:\n${_out}")
    endif()
    read_build_paths("${WORK}/build" paths)
    if(NOT paths STREQUAL
        "/usr/lib/brivel/Brivel Help.hlp|/usr/lib/brivel/machine.reg|/usr/lib/brivel/brivel-sound.so")
      fail("an installed build's paths lead elsewhere: ${paths}")
    endif()

  elseif(CHECK STREQUAL "start")
    set(P "${WORK}/prefix")
    install_into("${P}")
    read_build_paths("${BUILD}" paths)
    string(REGEX REPLACE "\\|.*" "" help "${paths}")
    # A settings store of its own, so that no user's choice is read.
    execute_process(COMMAND sh -c "XDG_CONFIG_HOME=\"$1\" \"$0\" >\"$1/brivel.log\" 2>&1 & echo $!"
      "${P}/bin/brivel" "${WORK}" OUTPUT_VARIABLE pid OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(viewer "")
    execute_process(COMMAND xdotool search --sync --onlyvisible --pid ${pid} --name "^Brivel$"
      TIMEOUT 20 RESULT_VARIABLE _rc OUTPUT_VARIABLE window OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT _rc EQUAL 0 OR window STREQUAL "")
      fail("bin/brivel showed no window \"Brivel\"")
    else()
      string(REGEX REPLACE "\n.*" "" window "${window}")
      execute_process(COMMAND xdotool windowactivate --sync ${window} TIMEOUT 10)
      execute_process(COMMAND xdotool key --clearmodifiers F1 TIMEOUT 10)
      execute_process(COMMAND xdotool search --sync --onlyvisible --name "^Brivel Help$"
        TIMEOUT 20 RESULT_VARIABLE _rc OUTPUT_VARIABLE _help OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(NOT _rc EQUAL 0 OR _help STREQUAL "")
        fail("F1 opened no window \"Brivel Help\"")
      else()
        string(REGEX REPLACE "\n.*" "" _help "${_help}")
        execute_process(COMMAND xdotool getwindowpid ${_help}
          OUTPUT_VARIABLE viewer OUTPUT_STRIP_TRAILING_WHITESPACE)
        file(READ_SYMLINK "/proc/${viewer}/exe" _exe)
        file(REAL_PATH "${P}/lib/brivel/Winhlp32.exe" _installed)
        if(NOT _exe STREQUAL _installed)
          fail("the viewer ran from ${_exe}, not from ${_installed}")
        endif()
        # Its one argument: the topic and the help file the build fixed.
        execute_process(COMMAND tr "\\0" "\\n" INPUT_FILE "/proc/${viewer}/cmdline"
          OUTPUT_VARIABLE _cmdline)
        string(FIND "${_cmdline}" "\n" _end)
        math(EXPR _end "${_end} + 1")
        string(SUBSTRING "${_cmdline}" ${_end} -1 _argument)
        if(NOT _argument STREQUAL "-topic 1 ${help}\n")
          fail("the viewer was given \"${_argument}\", not \"-topic 1 ${help}\"")
        endif()
      endif()
    endif()
    foreach(_pid IN ITEMS ${viewer} ${pid})
      execute_process(COMMAND kill ${_pid} ERROR_QUIET)
    endforeach()
    if(EXISTS "${WORK}/brivel.log")
      file(READ "${WORK}/brivel.log" _log)
      if(failures AND NOT _log STREQUAL "")
        fail("Brivel said:\n${_log}")
      endif()
    endif()

  else()
    message(FATAL_ERROR "unknown CHECK ${CHECK}")
  endif()

  if(failures)
    list(JOIN failures "\n  " _text)
    message(FATAL_ERROR "install ${CHECK}:\n  ${_text}")
  endif()
  file(REMOVE_RECURSE "${WORK}")
  message(STATUS "install ${CHECK}: ok")
  return()
endif()

# The files as they are installed pass the desktop's own validators.
find_program(BRIVEL_DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(BRIVEL_APPSTREAMCLI appstreamcli)
foreach(_tool IN ITEMS BRIVEL_DESKTOP_FILE_VALIDATE BRIVEL_APPSTREAMCLI)
  if(NOT ${_tool})
    # Left to fail at test time with the tool's name, not skipped silently.
    string(TOLOWER "${_tool}" _name)
    string(REPLACE "brivel_" "" _name "${_name}")
    string(REPLACE "_" "-" _name "${_name}")
    set(${_tool} "${_name}")
  endif()
endforeach()
add_test(NAME install_desktop_entry
  COMMAND "${BRIVEL_DESKTOP_FILE_VALIDATE}" "${PROJECT_SOURCE_DIR}/resources/${BRIVEL_APP_ID}.desktop")
add_test(NAME install_metainfo
  COMMAND "${BRIVEL_APPSTREAMCLI}" validate --no-net
  "${PROJECT_SOURCE_DIR}/resources/${BRIVEL_APP_ID}.metainfo.xml")
set_tests_properties(install_desktop_entry install_metainfo PROPERTIES
  LABELS "install" FAIL_REGULAR_EXPRESSION "(^|\n)(E|W):|error:|warning:")

foreach(_check IN ITEMS layout paths start)
  add_test(NAME install_${_check}
    COMMAND "${CMAKE_COMMAND}" -DCHECK=${_check} "-DBUILD=${CMAKE_BINARY_DIR}"
    "-DSOURCE=${PROJECT_SOURCE_DIR}" "-DGENERATOR=${CMAKE_GENERATOR}"
    "-DCXX=${CMAKE_CXX_COMPILER}" "-DAPP_ID=${BRIVEL_APP_ID}"
    "-DINSTALLED_LAYOUT=${BRIVEL_INSTALLED_LAYOUT}" "-DPREFIX=${CMAKE_INSTALL_PREFIX}"
    -P "${CMAKE_CURRENT_LIST_FILE}")
endforeach()
set_tests_properties(install_layout install_paths PROPERTIES LABELS "install")
set_tests_properties(install_start PROPERTIES LABELS "real;install" RESOURCE_LOCK desktop)

# kvetro's answers that need no window, run with every way to a display
# taken away: no X11 or Wayland display, no platform plugin chosen.
function(expect Name ExitCode Out Errors)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
            --unset=QT_QPA_PLATFORM ${KVETRO} ${ARGN}
    RESULT_VARIABLE Result OUTPUT_VARIABLE Output ERROR_VARIABLE Error TIMEOUT 20)
  if(NOT Result STREQUAL ExitCode OR NOT Output STREQUAL Out OR NOT Error STREQUAL Errors)
    message(FATAL_ERROR "${Name}: exit ${Result} (wanted ${ExitCode})\n"
                        "out: [${Output}] wanted [${Out}]\nerr: [${Error}] wanted [${Errors}]")
  endif()
endfunction()

set(Usage "Usage: kvetro [FILE.mzf | RECORDING.wav]\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${KVETRO} --help OUTPUT_VARIABLE Help
                ERROR_QUIET)
string(FIND "${Help}" "${Usage}" At)
if(NOT At EQUAL 0 OR NOT Help MATCHES "  -V, --version  show the version\n")
  message(FATAL_ERROR "--help: [${Help}]")
endif()
expect(help 0 "${Help}" "" --help)
expect(short-help 0 "${Help}" "" -h)
expect(version 0 "kvetro ${VERSION}\n" "" --version)
expect(short-version 0 "kvetro ${VERSION}\n" "" -V)
expect(unknown-option 2 "" "Unknown option -x\n${Usage}" -x)
expect(two-files 2 "" "${Usage}" a.mzf b.mzf)
expect(missing-file 1 "" "Cannot read /nonexistent/game.mzf: No such file or directory\n"
       /nonexistent/game.mzf)

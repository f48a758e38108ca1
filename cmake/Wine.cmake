# The Windows build's tests run under Wine, in a prefix of their own inside the build
# folder and without a display: nothing outside the build folder is touched.
find_program(WINE_PROGRAM wine REQUIRED)
set(RILO_WINEPREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
# mscoree and mshtml off: Wine would otherwise offer to install Mono and Gecko in a dialog.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_COMMAND} -E env --unset=DISPLAY WINEPREFIX=${RILO_WINEPREFIX} WINEDEBUG=-all
    "WINEDLLOVERRIDES=mscoree,mshtml=" ${WINE_PROGRAM})

# rilo-unit-sim built for this machine: the COM-port test runs rilo-cli.exe against it.
set(RILO_HOST_UNIT_SIM "" CACHE FILEPATH "rilo-unit-sim of a native build, for the COM-port test under Wine")

# The prefix is made once before the first test, not by each of several tests started
# together. Making it takes under a minute; a hang fails at the time-out.
add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)

# rilo_wine_test(NAME...): these tests need the prefix.
function(rilo_wine_test)
  set_tests_properties(${ARGN} PROPERTIES FIXTURES_REQUIRED wine)
endfunction()

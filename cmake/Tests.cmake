# GoogleTest and rilo_add_test; included by every folder that has tests.
include_guard(GLOBAL)

# A cross build cannot use the system's GoogleTest (built for the host): it builds
# Debian's googletest sources with the same compiler instead.
set(RILO_GTEST_SOURCE "" CACHE PATH "GoogleTest source folder to build with the project's compiler")
if(CMAKE_CROSSCOMPILING AND NOT RILO_GTEST_SOURCE)
  set(RILO_GTEST_SOURCE /usr/src/googletest/googletest)
endif()
if(RILO_GTEST_SOURCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # Its own CMake names the targets GTest::gtest and GTest::gtest_main.
  add_subdirectory(${RILO_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# rilo_add_test(NAME name [WIRE] SOURCES ... LIBS ...)
# One GoogleTest program per call; CTest sees each test case by name. Under an
# emulator (Wine) each program is one CTest test: starting it once per case would
# cost more than the cases themselves. WIRE: the program runs rilo-unit-sim in real
# time; its cases hold the lock of rilo_wire_test.
function(rilo_add_test)
  cmake_parse_arguments(T "WIRE" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  rilo_own_includes(${T_NAME})
  # No test waits without a bound: a case that hangs fails at its time-out. The longest
  # cases (four units burned over pseudo-terminals) take under a minute; a whole program
  # under Wine takes a few.
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 900)
    rilo_wine_test(${T_NAME})
  else()
    set(properties ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
    if(T_WIRE)
      list(APPEND properties RESOURCE_LOCK wire)
    endif()
    gtest_discover_tests(${T_NAME} PROPERTIES ${properties} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# rilo_wire_test(NAME...): these tests run rilo-unit-sim in real time, where a unit or
# a host that runs late misses the host's reply windows of tens of milliseconds. They
# take turns (tests of other kinds still run beside them): two of them at once, with
# up to four units and a host each, would load the machine themselves.
function(rilo_wire_test)
  set_tests_properties(${ARGN} PROPERTIES RESOURCE_LOCK wire)
endfunction()

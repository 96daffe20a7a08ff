# GoogleTest from the Debian sources, built for every configuration (the MinGW
# ones included), and the helper that registers a test program with ctest.
set(ZKV_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${ZKV_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The Wine prefix that scripts/test prepares; Windows tests run inside it.
get_filename_component(_zkv_build_root ${CMAKE_BINARY_DIR} DIRECTORY)
set(ZKV_WINEPREFIX ${_zkv_build_root}/wineprefix CACHE PATH "Wine prefix of the Windows tests")

# zkv_add_test(<name> SOURCES <files...> [LIBS <libs...>] [LABELS <labels...>]
#              [RESOURCE_LOCK <locks...>] [SCREEN] [CAMERA_FAULTS] [TIMEOUT <s>])
# Builds a GoogleTest program and registers it as <config>.<name>; on the
# Windows configurations ctest runs it through Wine in the test prefix.
# SCREEN: the test reads its windows' pixels from the screen, which every
# configuration's tests share, so it takes the display lock `screen`.
# CAMERA_FAULTS: the test sets live faults on the prefix's virtual cameras or
# counts their frames exactly. A live fault is named by the camera's serial
# number, the same in both registry views, and reaches every process that has
# the camera open, of either configuration: such tests take the lock
# `camera-faults`.
function(zkv_add_test name)
  cmake_parse_arguments(T "SCREEN;CAMERA_FAULTS" "TIMEOUT" "SOURCES;LIBS;LABELS;RESOURCE_LOCK" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set(test_name ${ZKV_CONFIG}.${name})
  add_test(NAME ${test_name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(CMAKE_CROSSCOMPILING_EMULATOR AND NOT WIN32)
    # qemu-i386 translates every instruction: the converters' comparisons
    # take a third of the usual limit under it on a two-core host.
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * 4")
  endif()
  set_tests_properties(${test_name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${ZKV_CONFIG};${T_LABELS}")
  if(T_RESOURCE_LOCK)
    # The 32-bit and 64-bit registry views are separate: a lock holds per configuration.
    list(TRANSFORM T_RESOURCE_LOCK APPEND ".${ZKV_CONFIG}")
  endif()
  if(T_SCREEN)
    list(APPEND T_RESOURCE_LOCK screen)
  endif()
  if(T_CAMERA_FAULTS)
    list(APPEND T_RESOURCE_LOCK camera-faults)
  endif()
  if(T_RESOURCE_LOCK)
    set_tests_properties(${test_name} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
  if(WIN32)
    set_tests_properties(${test_name} PROPERTIES
      ENVIRONMENT "WINEPREFIX=${ZKV_WINEPREFIX};WINEDEBUG=-all;ZKV_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
  endif()
endfunction()

# GoogleTest from Debian's packages: the installed build on Linux, built from
# Debian's source copy (/usr/src/googletest) for the Windows cross-build, whose
# test programs then run under Wine (CMAKE_CROSSCOMPILING_EMULATOR).
if(WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest 1.11 and later name its targets GTest::... itself.
  foreach(lib gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
else()
  find_package(GTest REQUIRED)
endif()

# zolt_add_test(NAME name SOURCES ... LIBS ...): one test program, run by ctest.
function(zolt_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gtest)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
endfunction()

# How the tests lay out a station from case files (tests/station/README).
add_library(zolt_test_station STATIC ${PROJECT_SOURCE_DIR}/tests/station/station.cc)
target_include_directories(zolt_test_station PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zolt_test_station PUBLIC GTest::gtest)

# Runs an example program at a station (cmake/run_in_station.cmake, every
# -D passed on) and checks its output against EXPECT, a regular expression.
# Usage: cmake -DEXPECT=regex -DRUN_IN_STATION=.../run_in_station.cmake
#        <run_in_station's -D...> -P run_example.cmake
cmake_minimum_required(VERSION 3.25)
set(forward "")
foreach(var PROGRAM STATION LIBRARY COPY SIMULATED_TIME EMULATOR ENV)
  if(DEFINED ${var})
    list(APPEND forward "-D${var}=${${var}}")
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} ${forward} -P ${RUN_IN_STATION}
  OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE rc)
message(STATUS "${out}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the example failed (${rc})")
endif()
if(NOT out MATCHES "${EXPECT}")
  message(FATAL_ERROR "the example's output does not match ${EXPECT}")
endif()

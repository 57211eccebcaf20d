# Runs a program of the setup's tests from a folder of its own (a station):
#   STATION/<program>      the program
#   STATION/<library>      the PIN library, when LIBRARY is given
#   STATION/<copies>       every file of COPY (a list), when given
# The library reads its settings beside the calling program, and the setup
# program reads and writes them beside itself, so both must run from there.
#
# cmake -DPROGRAM=... -DSTATION=... [-DLIBRARY=...] [-DCOPY=a;b]
#       [-DEMULATOR=...] [-DXVFB=ON] [-DSIMULATED_TIME="2012-06-15 10:30"]
#       [-DENV=NAME=value] [-DARGS=a;b] [-DTIMEOUT=seconds]
#       -P run_station.cmake
foreach(var PROGRAM STATION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_station.cmake: ${var} is not set")
  endif()
endforeach()
if(NOT DEFINED TIMEOUT)
  set(TIMEOUT 240)
endif()

file(REMOVE_RECURSE "${STATION}")
file(MAKE_DIRECTORY "${STATION}")
file(COPY "${PROGRAM}" DESTINATION "${STATION}")
if(DEFINED LIBRARY)
  file(COPY "${LIBRARY}" DESTINATION "${STATION}")
endif()
if(DEFINED COPY)
  file(COPY ${COPY} DESTINATION "${STATION}")
endif()

if(DEFINED SIMULATED_TIME)
  set(ENV{ZOLT_SIMULATED_TIME} "${SIMULATED_TIME}")
endif()
if(DEFINED ENV)
  string(REGEX MATCH "^([^=]+)=(.*)$" unused "${ENV}")
  set(ENV{${CMAKE_MATCH_1}} "${CMAKE_MATCH_2}")
endif()

set(launcher)
if(XVFB)
  find_program(XVFB_RUN xvfb-run REQUIRED)
  set(launcher ${XVFB_RUN} -a -s "-screen 0 1024x768x24")
endif()

get_filename_component(program_name "${PROGRAM}" NAME)
execute_process(
  COMMAND ${launcher} ${EMULATOR} "${STATION}/${program_name}" ${ARGS}
  WORKING_DIRECTORY "${STATION}"
  TIMEOUT ${TIMEOUT}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${program_name} failed: ${rc}")
endif()

# Lays out a point-of-sale station and runs a program there:
#   STATION/<program>            the program (a test, a host, or a window)
#   STATION/<library>            LIBRARY, under the name a program loads:
#                                OstrelZOLTDLL.dll, or libOstrelZOLTDLL.so.20
#                                with the link libOstrelZOLTDLL.so to it
#                                (whatever its own, e.g. the simulated-clock
#                                build's or the versioned .so.20.0.0)
#   STATION/<copies>             every file of COPY, when given
#   STATION/OstrelZOLTDLL.dta    the library's settings file (unless SETTINGS=OFF)
#   STATION/data/                the shared data folder, empty
# The library reads its settings beside the calling program, and the setup
# program reads and writes them beside itself, so the program must run from
# the station. ZOLT_STATION tells it where that is.
#
# cmake -DPROGRAM=... -DSTATION=... [-DLIBRARY=...] [-DCOPY=a;b]
#       [-DSETTINGS=OFF] [-DEMULATOR=...]
#       [-DWINDOWS_PATHS=ON] [-DXVFB=ON] [-DSIMULATED_TIME="2010-06-15 10:00"]
#       [-DARGS=a;b] [-DENV=NAME=value;...] [-DTIMEOUT=seconds]
#       [-DPICTURE_OUT=file.png] [-DREAD_ONLY_DATA=ON]
#       [-DPREPARE_ARGS=a;b] [-DPREPARE_REMOVE=data/x;...]
#       -P run_in_station.cmake
# With WINDOWS_PATHS the paths are written as Wine sees them (drive Z: is
# the Linux root); with XVFB the program runs on a virtual X display. With
# PICTURE_OUT the program's BMP picture (named in ARGS, relative to the
# station) and its log are collected, the picture converted to PNG. With
# READ_ONLY_DATA the data folder is made immutable (chattr +i, which stops
# root too) for the run and ZOLT_DATA_READ_ONLY is set; where that is not
# allowed the run prints "SKIPPED:" and ends. PREPARE_ARGS runs the program
# once with those arguments before (and before the data folder is made
# immutable), then PREPARE_REMOVE removes those files of the station.
foreach(var PROGRAM STATION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_in_station.cmake: ${var} is not set")
  endif()
endforeach()
if(NOT DEFINED TIMEOUT)
  set(TIMEOUT 240)
endif()

file(REMOVE_RECURSE "${STATION}")
file(MAKE_DIRECTORY "${STATION}/data")
file(COPY "${PROGRAM}" ${COPY} DESTINATION "${STATION}")
if(LIBRARY)
  if(LIBRARY MATCHES "\\.dll$")
    file(COPY_FILE "${LIBRARY}" "${STATION}/OstrelZOLTDLL.dll")
  else()
    # As the library's package lays it out: the SONAME, which programs load
    # (ZOLT_LIBRARY_NAME), and the bare name beside it.
    file(COPY_FILE "${LIBRARY}" "${STATION}/libOstrelZOLTDLL.so.20")
    file(CREATE_LINK libOstrelZOLTDLL.so.20 "${STATION}/libOstrelZOLTDLL.so" SYMBOLIC)
  endif()
endif()

function(as_seen_by_program path out)
  if(WINDOWS_PATHS)
    string(REPLACE "/" "\\" path "Z:${path}")
  endif()
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

as_seen_by_program("${STATION}/data" data)
as_seen_by_program("${STATION}" station_seen)
if(NOT DEFINED SETTINGS OR SETTINGS)
string(JOIN "\r\n" settings
  "[Preferences]"
  "Vendor=190"
  "Location=1"
  "Season=1"
  "PINcrypt=7"
  "PINExpiry=0"
  "Pathtopintable=${data}"
  "")
file(WRITE "${STATION}/OstrelZOLTDLL.dta" "${settings}")
endif()

set(ENV{ZOLT_STATION} "${station_seen}")
if(DEFINED SIMULATED_TIME)
  set(ENV{ZOLT_SIMULATED_TIME} "${SIMULATED_TIME}")
endif()
foreach(assignment IN LISTS ENV)
  string(FIND "${assignment}" "=" eq)
  string(SUBSTRING "${assignment}" 0 ${eq} name)
  math(EXPR value_start "${eq} + 1")
  string(SUBSTRING "${assignment}" ${value_start} -1 value)
  set(ENV{${name}} "${value}")
endforeach()

set(launcher)
if(XVFB)
  find_program(XVFB_RUN xvfb-run REQUIRED)
  set(launcher ${XVFB_RUN} -a -s "-screen 0 1024x768x24")
endif()

get_filename_component(program_name "${PROGRAM}" NAME)
if(DEFINED PREPARE_ARGS)
  execute_process(
    COMMAND ${launcher} ${EMULATOR} "${STATION}/${program_name}" ${PREPARE_ARGS}
    WORKING_DIRECTORY "${STATION}" TIMEOUT ${TIMEOUT} RESULT_VARIABLE prc)
  if(NOT prc EQUAL 0)
    message(FATAL_ERROR "${program_name} ${PREPARE_ARGS} failed: ${prc}")
  endif()
  foreach(name IN LISTS PREPARE_REMOVE)
    file(REMOVE "${STATION}/${name}")
  endforeach()
endif()

if(READ_ONLY_DATA)
  execute_process(COMMAND chattr +i "${STATION}/data" RESULT_VARIABLE crc ERROR_QUIET)
  if(NOT crc EQUAL 0)
    message("SKIPPED: chattr +i is not allowed here")
    return()
  endif()
  set(ENV{ZOLT_DATA_READ_ONLY} 1)
endif()

execute_process(
  COMMAND ${launcher} ${EMULATOR} "${STATION}/${program_name}" ${ARGS}
  WORKING_DIRECTORY "${STATION}"
  TIMEOUT ${TIMEOUT}
  RESULT_VARIABLE rc)
if(READ_ONLY_DATA)
  execute_process(COMMAND chattr -i "${STATION}/data")
endif()
if(DEFINED PICTURE_OUT)
  file(GLOB logs "${STATION}/*.log")
  foreach(log IN LISTS logs)
    file(READ "${log}" text)
    message(STATUS "${log}:\n${text}")
  endforeach()
  file(GLOB bmps "${STATION}/*.bmp")
  if(bmps)
    list(GET bmps 0 bmp)
    find_program(CONVERT convert REQUIRED)
    execute_process(COMMAND ${CONVERT} "${bmp}" "${PICTURE_OUT}" RESULT_VARIABLE crc)
    if(NOT crc EQUAL 0)
      message(FATAL_ERROR "cannot convert ${bmp}")
    endif()
  endif()
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${program_name} failed: ${rc}")
endif()

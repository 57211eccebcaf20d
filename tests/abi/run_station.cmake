# Lays out a point-of-sale station in STATION and runs the ABI host there:
#   STATION/<host>                 the host program
#   STATION/<library>              OstrelZOLTDLL.dll or libOstrelZOLTDLL.so
#   STATION/OstrelZOLTDLL.dta      the library's settings file
#   STATION/data/                  the shared data folder, empty
# Usage: cmake -DHOST=... -DLIBRARY=... -DSTATION=... [-DEMULATOR=...]
#              [-DWINDOWS_PATHS=ON] -P run_station.cmake
# With WINDOWS_PATHS the data folder is written as Wine sees it (drive Z: is
# the Linux root).
cmake_minimum_required(VERSION 3.25)

foreach(var HOST LIBRARY STATION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_station.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${STATION}")
file(MAKE_DIRECTORY "${STATION}/data")
file(COPY "${HOST}" "${LIBRARY}" DESTINATION "${STATION}")

set(data "${STATION}/data")
if(WINDOWS_PATHS)
  string(REPLACE "/" "\\" data "Z:${data}")
endif()
# CRLF line ends, as the setup program writes the file.
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

get_filename_component(host_name "${HOST}" NAME)
execute_process(
  COMMAND ${EMULATOR} "${STATION}/${host_name}"
  WORKING_DIRECTORY "${STATION}"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${host_name} failed: ${rc}")
endif()

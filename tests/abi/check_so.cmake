# Checks that libOstrelZOLTDLL.so exports the two functions and nothing else
# (nm -D --defined-only): a point-of-sale program binds them by name.
# Usage: cmake -DNM=... -DSO=... -P check_so.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND "${NM}" -D --defined-only "${SO}"
  OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm -D ${SO} failed")
endif()
string(REPLACE "\n" ";" lines "${out}")
set(functions "")
set(others "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* *([A-Za-z]) (.+)$")
    if(CMAKE_MATCH_1 STREQUAL "T")
      list(APPEND functions "${CMAKE_MATCH_2}")
    else()
      list(APPEND others "${CMAKE_MATCH_1} ${CMAKE_MATCH_2}")
    endif()
  endif()
endforeach()
list(SORT functions)
message(STATUS "exported functions: ${functions}")
if(NOT functions STREQUAL "ZoltResult;check_SoldOut_Condition" OR others)
  message(FATAL_ERROR "libOstrelZOLTDLL.so exports '${functions}' and "
    "'${others}'; expected exactly ZoltResult and check_SoldOut_Condition")
endif()

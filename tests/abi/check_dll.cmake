# Reads OstrelZOLTDLL.dll with objdump and checks what a point-of-sale program
# relies on before it ever calls the library:
#  - exactly two exports, ZoltResult @1 and check_SoldOut_Condition @2, under
#    their plain names;
#  - each returns with "ret $N" that removes its arguments (__stdcall):
#    16 bytes for ZoltResult, 12 for check_SoldOut_Condition;
#  - it imports only DLLs of the system itself (no libstdc++, libgcc or
#    libwinpthread beside it).
# Usage: cmake -DOBJDUMP=... -DDLL=... -P check_dll.cmake
cmake_minimum_required(VERSION 3.25)

set(system_dlls
  kernel32.dll user32.dll msvcrt.dll advapi32.dll gdi32.dll shell32.dll
  ole32.dll oleaut32.dll version.dll ws2_32.dll ntdll.dll comdlg32.dll
  comctl32.dll)

set(failures "")
macro(fail text)
  list(APPEND failures "${text}")
endmacro()

execute_process(COMMAND "${OBJDUMP}" -p "${DLL}"
  OUTPUT_VARIABLE headers RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump -p ${DLL} failed")
endif()
string(REPLACE "\n" ";" lines "${headers}")

# Imported DLLs.
foreach(line IN LISTS lines)
  if(line MATCHES "DLL Name: (.+)$")
    string(TOLOWER "${CMAKE_MATCH_1}" dll)
    string(STRIP "${dll}" dll)
    message(STATUS "imports ${dll}")
    if(NOT dll IN_LIST system_dlls)
      fail("imports ${dll}, which is not a system DLL")
    endif()
  endif()
endforeach()

# Image base, ordinal base, export addresses (by ordinal) and names.
set(section "")
set(ordinal_base "")
set(export_count 0)
set(name_count 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^ImageBase[ \t]+([0-9a-fA-F]+)")
    set(image_base "0x${CMAKE_MATCH_1}")
  elseif(line MATCHES "^Ordinal Base[ \t]+([0-9]+)")
    set(ordinal_base "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^Export Address Table -- ")
    set(section addresses)
  elseif(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
    set(section names)
  elseif(section STREQUAL "addresses" AND
         line MATCHES "^[ \t]*\\[ *[0-9]+\\] \\+base\\[ *([0-9]+)\\] +([0-9a-fA-F]+) Export RVA")
    set(rva_${CMAKE_MATCH_1} "0x${CMAKE_MATCH_2}")
    math(EXPR export_count "${export_count} + 1")
  elseif(section STREQUAL "names" AND line MATCHES "^[ \t]*\\[ *([0-9]+)\\] ([^ \t]+)")
    math(EXPR ordinal "${CMAKE_MATCH_1} + ${ordinal_base}")
    set(name_${CMAKE_MATCH_2} ${ordinal})
    math(EXPR name_count "${name_count} + 1")
    message(STATUS "exports ${CMAKE_MATCH_2} @${ordinal}")
  elseif(line STREQUAL "")
    set(section "")
  endif()
endforeach()

if(NOT ordinal_base STREQUAL "1")
  fail("ordinal base is '${ordinal_base}', not 1")
endif()
if(NOT export_count EQUAL 2 OR NOT name_count EQUAL 2)
  fail("${export_count} exported functions and ${name_count} names, not 2 and 2")
endif()

foreach(export IN ITEMS "ZoltResult:1:0x10" "check_SoldOut_Condition:2:0xc")
  string(REPLACE ":" ";" export "${export}")
  list(GET export 0 name)
  list(GET export 1 want_ordinal)
  list(GET export 2 want_pop)
  if(NOT DEFINED name_${name})
    fail("${name} is not exported under its plain name")
    continue()
  endif()
  if(NOT name_${name} EQUAL want_ordinal)
    fail("${name} is @${name_${name}}, not @${want_ordinal}")
    continue()
  endif()
  # The first return of the function must remove its arguments.
  math(EXPR start "${image_base} + ${rva_${want_ordinal}}" OUTPUT_FORMAT HEXADECIMAL)
  math(EXPR stop "${start} + 0x400" OUTPUT_FORMAT HEXADECIMAL)
  execute_process(COMMAND "${OBJDUMP}" -d --start-address=${start}
                          --stop-address=${stop} "${DLL}"
    OUTPUT_VARIABLE code RESULT_VARIABLE rc)
  string(REGEX MATCH "\tret[ \t]*(\\$0x[0-9a-f]+)?" ret "${code}")
  string(STRIP "${ret}" ret)
  message(STATUS "${name} returns with '${ret}'")
  if(NOT ret STREQUAL "ret    $${want_pop}" AND NOT ret MATCHES "^ret[ \t]+\\$${want_pop}$")
    fail("${name} returns with '${ret}', not 'ret $${want_pop}' (__stdcall)")
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "OstrelZOLTDLL.dll layout:\n  ${text}")
endif()
message(STATUS "OstrelZOLTDLL.dll layout: ok")

# Reads zolt.exe with objdump: a console program (so that a command prompt
# waits for it and shows its output) that imports only DLLs of the system
# itself, like the PIN library, so that an installer can copy it alone.
# Usage: cmake -DOBJDUMP=... -DEXE=... -P check_exe.cmake
cmake_minimum_required(VERSION 3.25)

set(system_dlls
  kernel32.dll user32.dll msvcrt.dll advapi32.dll version.dll ntdll.dll)

execute_process(COMMAND "${OBJDUMP}" -p "${EXE}"
  OUTPUT_VARIABLE headers RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump -p ${EXE} failed")
endif()
set(failures "")
if(NOT headers MATCHES "Subsystem[ \t]+00000003")
  list(APPEND failures "not a console program (subsystem 3)")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
foreach(line IN LISTS imports)
  string(REGEX REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" dll)
  message(STATUS "imports ${dll}")
  if(NOT dll IN_LIST system_dlls)
    list(APPEND failures "imports ${dll}, which is not a system DLL")
  endif()
endforeach()
if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "zolt.exe layout:\n  ${text}")
endif()
message(STATUS "zolt.exe layout: ok")

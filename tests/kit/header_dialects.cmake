# Compiles header_probe.c, which uses all of OstrelZOLTDLL.h, in each dialect
# and with each compiler a POS integrator may bring, warnings as errors:
#   C89 has no <stdint.h> (the header's ZoltInt32 falls back to int);
#   mingw and Clang in Visual C++ mode see the Windows side (__stdcall);
#   Visual C++ 2008 (_MSC_VER 1500) has no <stdint.h> either.
# Usage: cmake -DHEADER_DIR=... -DPROBE=... -P header_dialects.cmake
cmake_minimum_required(VERSION 3.25)

set(msvc "--target=i686-pc-windows-msvc -fms-extensions -fms-compatibility \
-ffreestanding")
set(dialects
  "C89, GCC|gcc|-std=c89 -pedantic-errors -x c"
  "C99, GCC|gcc|-std=c99 -pedantic-errors -x c"
  "C++98, G++|g++|-std=c++98 -pedantic-errors -x c++"
  "C++20, G++|g++|-std=c++20 -pedantic-errors -x c++"
  "C89, mingw-w64|i686-w64-mingw32-gcc|-std=c89 -pedantic-errors -x c"
  "C++98, mingw-w64|i686-w64-mingw32-g++|-std=c++98 -pedantic-errors -x c++"
  "C, Clang as Visual C++|clang|${msvc} -x c"
  "C++, Clang as Visual C++|clang|${msvc} -x c++"
  "C, Clang as Visual C++ 2008|clang|${msvc} -fms-compatibility-version=15.00 -std=c89 -x c")

set(failures "")
foreach(row IN LISTS dialects)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 name)
  list(GET row 1 compiler)
  list(GET row 2 flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  execute_process(
    COMMAND ${compiler} ${flags} -Wall -Wextra -Werror -fsyntax-only
      -I${HEADER_DIR} ${PROBE}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(rc EQUAL 0)
    message(STATUS "ok    ${name}")
  else()
    message(STATUS "FAIL  ${name}: ${compiler} ${flags}\n${out}")
    list(APPEND failures "${name}")
  endif()
endforeach()
if(failures)
  list(JOIN failures ", " text)
  message(FATAL_ERROR "OstrelZOLTDLL.h does not compile as: ${text}")
endif()

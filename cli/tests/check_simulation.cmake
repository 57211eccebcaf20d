# Runs zolt simulate and checks the JSON report, printing its figures.
#   cmake -DZOLT=... [-DEMULATOR=...] -DARGS="a|b|..." -DKIND=sales|crash
#         [-DKILLS=N] [-DWIN_BUILD_DIR=...] -P check_simulation.cmake
# KIND sales: no duplicate, no fault, every issued slot marked in both
# files, every sale either a PIN or -500 (sold out). KIND crash: no fault
# after KILLS kills. With WIN_BUILD_DIR (a mixed site) the test is skipped
# (or, when empty, the environment's ZOLT_WIN_BUILD_DIR) is skipped when
# that folder holds no zolt.exe; ARGS may name @WIN_ZOLT@ for it.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" ARGS "${ARGS}")

if(DEFINED WIN_BUILD_DIR)
  if(WIN_BUILD_DIR STREQUAL "")
    set(WIN_BUILD_DIR "$ENV{ZOLT_WIN_BUILD_DIR}")
  endif()
  set(win_zolt "${WIN_BUILD_DIR}/cli/zolt.exe")
  if(WIN_BUILD_DIR STREQUAL "" OR NOT EXISTS "${win_zolt}")
    message("SKIPPED: no Windows build (set ZOLT_WIN_BUILD_DIR)")
    return()
  endif()
  string(REPLACE "@WIN_ZOLT@" "${win_zolt}" ARGS "${ARGS}")
endif()

execute_process(COMMAND ${EMULATOR} "${ZOLT}" ${ARGS}
  OUTPUT_VARIABLE report RESULT_VARIABLE rc TIMEOUT 3000)
message(STATUS "zolt ${ARGS}:\n${report}")

set(failures "")
macro(expect what)
  if(NOT (${ARGN}))
    list(APPEND failures "${what}")
  endif()
endmacro()
string(JSON fault ERROR_VARIABLE json_error GET "${report}" fault)
if(json_error)
  message(FATAL_ERROR "zolt simulate printed no report (exit ${rc}): ${json_error}")
endif()
expect("exit status 0 (was ${rc})" rc EQUAL 0)
expect("no fault" NOT fault)
if(KIND STREQUAL "crash")
  string(JSON kills GET "${report}" kills)
  expect("${KILLS} kills (were ${kills})" kills EQUAL KILLS)
else()
  string(JSON duplicates LENGTH "${report}" report duplicates)
  string(JSON marked GET "${report}" report all_marked_in_both)
  string(JSON issued GET "${report}" report issued)
  string(JSON sales GET "${report}" report sales)
  string(JSON codes LENGTH "${report}" report refusals)
  set(sold_out 0)
  if(codes GREATER 0)
    string(JSON sold_out ERROR_VARIABLE none GET "${report}" report refusals -500 count)
  endif()
  math(EXPR accounted "${issued} + ${sold_out}")
  expect("0 duplicates (were ${duplicates})" duplicates EQUAL 0)
  expect("every issued slot marked in both files" marked)
  expect("some PINs issued" issued GREATER 0)
  expect("every sale a PIN or sold out (${issued} + ${sold_out} of ${sales})"
         accounted EQUAL sales)
  if(DEFINED WIN_BUILD_DIR)
    string(JSON by_wine GET "${report}" issued_by wine)
    string(JSON by_us GET "${report}" issued_by this_zolt)
    expect("both kinds of station issued PINs (${by_us} and ${by_wine})"
           by_wine GREATER 0 AND by_us GREATER 0)
  endif()
endif()
if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "simulation:\n  ${text}")
endif()

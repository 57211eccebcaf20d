# The renderers' smoke test of the setup program. Lays out a site in a
# station folder and runs the program there unattended:
#   STATION/<program>
#   STATION/ostrelzoltdll.ini   the library settings, season 2
#   STATION/product/ostrel.ini  the product's settings, season 3
#   STATION/data/               the shared data folder with old PIN tables
# The program must show the red marks, write a new settings file (which
# erases the old tables) and show both frames green; it saves a picture
# after each, copied to OUT-red.png and OUT-green.png.
#
# cmake -DPROGRAM=... -DSTATION=... -DOUT=... [-DENV=NAME=value]
#       [-DEMULATOR=... -DWINDOWS_PATHS=ON -DXVFB=ON] -P smoke_site.cmake
# With WINDOWS_PATHS the station lies on the Wine prefix's drive C (STATION
# is then a folder name there), so that the site is on "This Computer".
#
# The program runs one copy per user (per Wine prefix), and other build
# folders may run this test at the same time: the runs take turns under a
# lock beside the shared place.
foreach(var PROGRAM STATION OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "smoke_site.cmake: ${var} is not set")
  endif()
endforeach()

if(WINDOWS_PATHS)
  if(DEFINED ENV{WINEPREFIX})
    set(prefix "$ENV{WINEPREFIX}")
  else()
    set(prefix "$ENV{HOME}/.wine-zolt")
  endif()
  if(NOT EXISTS "${prefix}/drive_c")
    execute_process(COMMAND ${EMULATOR} cmd /c exit TIMEOUT 300)
  endif()
  set(station "${prefix}/drive_c/${STATION}")
  set(seen "C:\\${STATION}")
  set(sep "\\")
  set(picture_ext bmp)
  set(turns "${prefix}/zolt-setup-smoke.lock")
else()
  set(station "${STATION}")
  set(seen "${STATION}")
  set(sep "/")
  set(picture_ext png)
  set(turns "/tmp/zolt-setup-smoke.lock")
endif()
file(LOCK "${turns}" GUARD PROCESS TIMEOUT 600 RESULT_VARIABLE locked)
if(NOT locked EQUAL 0)
  message(FATAL_ERROR "cannot take a turn at ${turns}: ${locked}")
endif()

file(REMOVE_RECURSE "${station}")
file(MAKE_DIRECTORY "${station}/product" "${station}/data")
file(COPY "${PROGRAM}" DESTINATION "${station}")
string(JOIN "\r\n" product
  "[Preferences]" "DataPath=${seen}${sep}data"
  "[Security]" "Season=3"
  "[Other]" "PINExpiry=0" "PINCrypt=7"
  "[Site]" "Vendor=190" "Location=1" "")
file(WRITE "${station}/product/ostrel.ini" "${product}")
string(JOIN "\r\n" library
  "[Preferences]" "OstrelPath=${seen}${sep}product"
  "Pathtopintable=${seen}${sep}data"
  "Vendor=190" "Location=1" "Season=2" "PINExpiry=0" "PINCrypt=7" "")
file(WRITE "${station}/ostrelzoltdll.ini" "${library}")
file(WRITE "${station}/data/PINTable.dat" "[Other]\r\nLastPINRunDay=1\r\n")
file(WRITE "${station}/data/DLLPINTable.dat" "[Other]\r\nLastPINRunDay=1\r\n")

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
if(WINDOWS_PATHS)
  # Windows always has its own faces, "MS Sans Serif" above all, in which
  # the window was laid out; this Wine build does not find them by itself,
  # so the prefix gets a copy. The program runs on a Wine desktop of its
  # own, which draws the title bar and frame that the picture should show.
  set(fonts "${prefix}/drive_c/windows/Fonts")
  if(IS_DIRECTORY /usr/share/wine/fonts AND NOT EXISTS "${fonts}/sserife.fon")
    file(GLOB wine_fonts /usr/share/wine/fonts/*)
    file(COPY ${wine_fonts} DESTINATION "${fonts}")
  endif()
  set(wine_key "HKCU\\Software\\Wine")
  foreach(reg_args
      "${wine_key}\\AppDefaults\\${program_name}\\Explorer;/v;Desktop;/d;ZoltSmoke"
      "${wine_key}\\Explorer\\Desktops;/v;ZoltSmoke;/d;1024x768")
    execute_process(COMMAND ${EMULATOR} reg add ${reg_args} /f
                    OUTPUT_QUIET ERROR_QUIET TIMEOUT 120)
  endforeach()
endif()
execute_process(
  COMMAND ${launcher} ${EMULATOR} "${station}/${program_name}"
          "--smoke-test=${seen}${sep}smoke"
  WORKING_DIRECTORY "${station}"
  TIMEOUT 180
  RESULT_VARIABLE rc)
if(EXISTS "${station}/smoke.log")
  file(READ "${station}/smoke.log" log)
  message("${log}")
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${program_name} failed: ${rc}")
endif()
foreach(name DLLPINTable.dat PINTable.dat)
  if(EXISTS "${station}/data/${name}")
    message(FATAL_ERROR "the old ${name} was not erased")
  endif()
endforeach()
file(READ "${station}/ostrelzoltdll.ini" written)
if(NOT written MATCHES "Season=3[^0-9]")
  message(FATAL_ERROR "the new settings file lacks the product's season:\n${written}")
endif()

foreach(state red green)
  set(picture "${station}/smoke-${state}.${picture_ext}")
  if(NOT EXISTS "${picture}")
    message(FATAL_ERROR "no picture ${picture}")
  endif()
  if(picture_ext STREQUAL "png")
    file(COPY_FILE "${picture}" "${OUT}-${state}.png")
  else()
    find_program(CONVERT convert REQUIRED)
    execute_process(COMMAND ${CONVERT} "${picture}" "${OUT}-${state}.png"
                    RESULT_VARIABLE crc)
    if(NOT crc EQUAL 0)
      message(FATAL_ERROR "cannot convert ${picture}")
    endif()
  endif()
endforeach()

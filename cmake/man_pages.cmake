# Man pages for zolt and each of its commands (zolt-status(1), ...), made by
# help2man from what the program itself prints for --help and --version, so
# that they never drift from it. Linux only; included by install_rules.cmake.
if(NOT TARGET zolt)
  return()
endif()
find_program(ZOLT_HELP2MAN help2man REQUIRED)
find_program(ZOLT_GZIP gzip REQUIRED)

set(zolt_man_pages
  "zolt|site tool of the Ostrel PIN system: show, check, verify, sell, simulate"
  "status|what the PIN library would answer at a station, changing nothing"
  "tables|a picture of the day's PIN tables"
  "verify|which basket size and minute slot a PIN belongs to"
  "sell|sell baskets at a station as a point-of-sale program does"
  "simulate|many stations selling at once against one data folder"
  "check-library|load the installed PIN library as a point-of-sale program does")

set(man_dir ${CMAKE_BINARY_DIR}/man)
set(see_also "")
foreach(row IN LISTS zolt_man_pages)
  string(REGEX REPLACE "\\|.*" "" command "${row}")
  if(NOT command STREQUAL "zolt")
    string(APPEND see_also "zolt-${command}(1), ")
  endif()
endforeach()
string(REGEX REPLACE ", $" "" see_also "${see_also}")
file(WRITE ${man_dir}/zolt.h2m "[SEE ALSO]\n${see_also}\n")
file(WRITE ${man_dir}/command.h2m "[SEE ALSO]\nzolt(1)\n")

set(pages "")
foreach(row IN LISTS zolt_man_pages)
  string(REGEX REPLACE "\\|.*" "" command "${row}")
  string(REGEX REPLACE "^[^|]*\\|" "" summary "${row}")
  if(command STREQUAL "zolt")
    # The main page: its version line comes from zolt --version.
    set(page zolt)
    set(program $<TARGET_FILE:zolt>)
    set(options --include=${man_dir}/zolt.h2m)
  else()
    # help2man names a page after the program it runs, so each command gets
    # a wrapper named zolt-<command>; commands have no --version of their own.
    set(page zolt-${command})
    set(program ${man_dir}/${page})
    file(GENERATE OUTPUT ${program}
      CONTENT "#!/bin/sh\nexec '$<TARGET_FILE:zolt>' ${command} \"$@\"\n"
      FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
        GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(options --include=${man_dir}/command.h2m
      --version-string=${PROJECT_VERSION})
  endif()
  add_custom_command(OUTPUT ${man_dir}/${page}.1.gz
    COMMAND ${ZOLT_HELP2MAN} --no-info --section=1 --name=${summary}
      ${options} --output=${man_dir}/${page}.1 ${program}
    COMMAND ${ZOLT_GZIP} -9nf ${man_dir}/${page}.1
    DEPENDS zolt ${man_dir}/zolt.h2m
    COMMENT "Man page ${page}(1)"
    VERBATIM)
  list(APPEND pages ${man_dir}/${page}.1.gz)
endforeach()
add_custom_target(zolt_man_pages ALL DEPENDS ${pages})
install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT zolt)

# What a site and an integrator get: the library, its header and import
# libraries, the two window programs, zolt, the example and INTEGRATING.md.
# The simulated-clock library (OstrelZOLTDLL_sim) has no rule here and must
# never get one. Included at the end of the top-level CMakeLists.txt, once
# every target exists.
#
# Windows (the zip):        Linux (the .deb and the .tar.gz, under the prefix):
#   bin/    DLL, programs     bin/                     zolt
#   include/                  include/                 OstrelZOLTDLL.h
#   lib/    .def, .dll.a,     lib/                     libOstrelZOLTDLL.so.20...
#           .lib              lib/ostrelzoltdll/       the two window programs
#   examples/                 lib/pkgconfig/           ostrelzoltdll.pc
#   INTEGRATING.md            lib/cmake/OstrelZOLTDLL/ find_package config
#                             share/man/man1/          zolt*.1.gz
#                             share/doc/ostrelzoltdll/ INTEGRATING.md,
#                                                      examples/, copyright
#
# The window programs read and write the settings file beside their own
# executable, as on Windows, so they are of use only as copies in a station
# folder. On Linux they are kept off the PATH, where a run would put
# ostrelzoltdll.ini into /usr/bin; zolt takes --station and stays on it.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(zolt_window_programs ZOLTDLLTestAPP MakeZOLTconfigurationFile)

if(WIN32)
  install(TARGETS OstrelZOLTDLL
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(FILES
      ${PROJECT_SOURCE_DIR}/library/OstrelZOLTDLL.def
      $<TARGET_LINKER_FILE_DIR:OstrelZOLTDLL>/OstrelZOLTDLL.lib
    DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/library/include/OstrelZOLTDLL.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/examples/pos_example.c
    DESTINATION examples)
  install(FILES ${PROJECT_SOURCE_DIR}/INTEGRATING.md DESTINATION .)
  foreach(program IN LISTS zolt_window_programs ITEMS zolt)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
  endforeach()
  return()
endif()

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(zolt_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/ostrelzoltdll)
set(zolt_cmakedir ${CMAKE_INSTALL_LIBDIR}/cmake/OstrelZOLTDLL)

# A shared library is not a program: no execute bits.
install(TARGETS OstrelZOLTDLL EXPORT OstrelZOLTDLLTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${PROJECT_SOURCE_DIR}/library/include/OstrelZOLTDLL.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
foreach(program IN LISTS zolt_window_programs)
  if(TARGET ${program})
    install(TARGETS ${program}
      RUNTIME DESTINATION ${CMAKE_INSTALL_LIBDIR}/ostrelzoltdll)
  endif()
endforeach()
if(TARGET zolt)
  install(TARGETS zolt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# pkg-config and find_package, both relocatable: the .deb unpacks under /usr,
# the .tar.gz wherever it is put.
file(RELATIVE_PATH zolt_pc_to_prefix
  /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" zolt_pc_to_prefix "${zolt_pc_to_prefix}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/ostrelzoltdll.pc.in
  ${CMAKE_BINARY_DIR}/packaging/ostrelzoltdll.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/ostrelzoltdll.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(EXPORT OstrelZOLTDLLTargets NAMESPACE OstrelZOLTDLL::
  DESTINATION ${zolt_cmakedir})
configure_package_config_file(
  ${PROJECT_SOURCE_DIR}/packaging/OstrelZOLTDLLConfig.cmake.in
  ${CMAKE_BINARY_DIR}/packaging/OstrelZOLTDLLConfig.cmake
  INSTALL_DESTINATION ${zolt_cmakedir})
write_basic_package_version_file(
  ${CMAKE_BINARY_DIR}/packaging/OstrelZOLTDLLConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
    ${CMAKE_BINARY_DIR}/packaging/OstrelZOLTDLLConfig.cmake
    ${CMAKE_BINARY_DIR}/packaging/OstrelZOLTDLLConfigVersion.cmake
  DESTINATION ${zolt_cmakedir})

# Documents. Debian wants the copyright file and a changelog compressed with
# gzip -9n; man pages likewise.
find_program(ZOLT_GZIP gzip REQUIRED)
set(zolt_changelog_gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${zolt_changelog_gz}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog
    ${CMAKE_BINARY_DIR}/packaging/changelog
  COMMAND ${ZOLT_GZIP} -9nf ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(zolt_changelog ALL DEPENDS ${zolt_changelog_gz})
install(FILES
    ${PROJECT_SOURCE_DIR}/INTEGRATING.md
    ${PROJECT_SOURCE_DIR}/packaging/copyright
    ${zolt_changelog_gz}
  DESTINATION ${zolt_docdir})
install(FILES ${PROJECT_SOURCE_DIR}/examples/pos_example.c
  DESTINATION ${zolt_docdir}/examples)

include(${CMAKE_CURRENT_LIST_DIR}/man_pages.cmake)

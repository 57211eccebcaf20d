# What a site and an integrator get. Every file belongs to one component,
# and on Linux each component is one Debian package (cmake/packages.cmake):
#
#   runtime      libostrelzoltdll20       the library under its SONAME; the
#                                         site guides
#   development  libostrelzoltdll-dev     the bare .so link, the header,
#                                         pkg-config and CMake files, the
#                                         declarations, the examples
#   zolt         ostrelzoltdll-zolt       the site tool and its man pages
#   programs     ostrelzoltdll-programs   the two Qt window programs
#
# The Windows zip and the Linux .tar.gz hold all four; the Windows installer
# (packaging/msi/) is made from the same install tree. The simulated-clock
# library (OstrelZOLTDLL_sim) has no rule here and must never get one.
# Included at the end of the top-level CMakeLists.txt, once every target
# exists.
#
# Windows (zip, under its top folder):   Linux (under the prefix, /usr in the
#   bin/       DLL, programs, zolt.exe    .deb; <ma> the multiarch folder):
#   include/   OstrelZOLTDLL.h              lib/<ma>/     the library, .pc,
#   lib/       .def, .dll.a, .lib                         CMake files
#   declarations/ .bas .cs .pas             lib/ostrelzoltdll/ window programs
#   examples/  C, C#, Pascal, VB            bin/zolt, share/man/man1/
#   *.md, LICENSE.txt, README.txt,          include/OstrelZOLTDLL.h
#   THIRD-PARTY-NOTICES.txt                 share/ostrelzoltdll/declarations/
#                                           share/doc/<package>/
#
# The window programs read and write the settings file beside their own
# executable, as on Windows, so they are of use only as copies in a station
# folder. On Linux they are kept off the PATH, where a run would put
# ostrelzoltdll.ini into /usr/bin; zolt takes --station and stays on it.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Who answers for the packages: the Maintainer of every .deb, the
# Upstream-Contact of their copyright files, the changelog's signature and
# the Manufacturer of the Windows installer
# (cmake/packages.cmake, packaging/msi/). ostrelzoltdll.example is the
# project's own placeholder domain (RFC 2606 keeps .example unowned): the
# owner sets the real address here, in one place, or on the command line.
set(ZOLT_PACKAGE_MAINTAINER "OstrelZOLT maintainers <maintainers@ostrelzoltdll.example>"
  CACHE STRING "Maintainer of the packages: Name <address>")
string(REGEX REPLACE " *<.*" "" ZOLT_PACKAGE_MANUFACTURER "${ZOLT_PACKAGE_MAINTAINER}")


set(zolt_window_programs ZOLTDLLTestAPP MakeZOLTconfigurationFile)
set(zolt_examples ${PROJECT_SOURCE_DIR}/examples)
set(zolt_declaration_files
  ${ZOLT_DECLARATIONS_DIR}/OstrelZOLTDLL.bas
  ${ZOLT_DECLARATIONS_DIR}/OstrelZOLTDLL.cs
  ${ZOLT_DECLARATIONS_DIR}/OstrelZOLTDLL.pas)
set(zolt_site_guides
  ${PROJECT_SOURCE_DIR}/SITE-INSTALL.md
  ${PROJECT_SOURCE_DIR}/TROUBLESHOOTING.md)
set(zolt_notices ${PROJECT_SOURCE_DIR}/packaging/THIRD-PARTY-NOTICES.txt)

# zolt_install_examples(DESTINATION COMPONENT): the example programs.
function(zolt_install_examples destination component)
  install(FILES ${zolt_examples}/pos_example.c
    DESTINATION ${destination} COMPONENT ${component})
  install(DIRECTORY ${zolt_examples}/dotnet ${zolt_examples}/pascal ${zolt_examples}/vb
    DESTINATION ${destination} COMPONENT ${component})
endfunction()

if(WIN32)
  install(TARGETS OstrelZOLTDLL
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
  install(FILES
      ${PROJECT_SOURCE_DIR}/library/OstrelZOLTDLL.def
      $<TARGET_LINKER_FILE_DIR:OstrelZOLTDLL>/OstrelZOLTDLL.lib
    DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
  install(FILES ${PROJECT_SOURCE_DIR}/library/include/OstrelZOLTDLL.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
  install(FILES ${zolt_declaration_files} DESTINATION declarations COMPONENT development)
  zolt_install_examples(examples development)
  install(FILES ${PROJECT_SOURCE_DIR}/INTEGRATING.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md
      ${zolt_site_guides} ${zolt_notices} ${PROJECT_SOURCE_DIR}/packaging/README.txt
    DESTINATION . COMPONENT runtime)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt
    COMPONENT runtime)
  foreach(program IN LISTS zolt_window_programs)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT programs)
    endif()
  endforeach()
  if(TARGET zolt)
    install(TARGETS zolt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT zolt)
  endif()
  include(${PROJECT_SOURCE_DIR}/packaging/msi/msi.cmake)
  return()
endif()

# Debian's multiarch library folder (lib/x86_64-linux-gnu), where the
# dynamic linker and pkg-config look, also for cross builds; plain lib/
# where the system has none.
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(zolt_libdir lib/${CMAKE_LIBRARY_ARCHITECTURE})
else()
  set(zolt_libdir lib)
endif()
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(zolt_cmakedir ${zolt_libdir}/cmake/OstrelZOLTDLL)
set(zolt_doc ${CMAKE_INSTALL_DATAROOTDIR}/doc)

# A shared library is not a program: no execute bits. The SONAME file and
# its link go with the library; the bare name, for linking, with the
# development files.
install(TARGETS OstrelZOLTDLL EXPORT OstrelZOLTDLLTargets
  LIBRARY DESTINATION ${zolt_libdir}
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
    COMPONENT runtime NAMELINK_COMPONENT development)
install(FILES ${PROJECT_SOURCE_DIR}/library/include/OstrelZOLTDLL.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
install(FILES ${zolt_declaration_files}
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/ostrelzoltdll/declarations
  COMPONENT development)
foreach(program IN LISTS zolt_window_programs)
  if(TARGET ${program})
    install(TARGETS ${program}
      RUNTIME DESTINATION lib/ostrelzoltdll COMPONENT programs)
  endif()
endforeach()
if(TARGET zolt)
  install(TARGETS zolt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT zolt)
endif()

# pkg-config and find_package, both relocatable: the .deb unpacks under /usr,
# the .tar.gz wherever it is put.
file(RELATIVE_PATH zolt_pc_to_prefix /prefix/${zolt_libdir}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" zolt_pc_to_prefix "${zolt_pc_to_prefix}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/ostrelzoltdll.pc.in
  ${CMAKE_BINARY_DIR}/packaging/ostrelzoltdll.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/ostrelzoltdll.pc
  DESTINATION ${zolt_libdir}/pkgconfig COMPONENT development)

install(EXPORT OstrelZOLTDLLTargets NAMESPACE OstrelZOLTDLL::
  DESTINATION ${zolt_cmakedir} COMPONENT development)
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
  DESTINATION ${zolt_cmakedir} COMPONENT development)

# Documents. Each package has its own folder under share/doc, with Debian's
# copyright file (the kit's licence) and changelog (gzip -9n), and the
# third-party notices; the guides go where their readers install.
find_program(ZOLT_GZIP gzip REQUIRED)
set(zolt_packaging ${CMAKE_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${zolt_packaging}/changelog @ONLY)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE ZOLT_LICENSE_TEXT)
string(REGEX REPLACE "\n+$" "" ZOLT_LICENSE_TEXT "${ZOLT_LICENSE_TEXT}")
string(REGEX REPLACE "\n\n" "\n.\n" ZOLT_LICENSE_TEXT "${ZOLT_LICENSE_TEXT}")
string(REPLACE "\n" "\n " ZOLT_LICENSE_TEXT " ${ZOLT_LICENSE_TEXT}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${zolt_packaging}/copyright @ONLY)
add_custom_command(OUTPUT ${zolt_packaging}/changelog.gz
  COMMAND ${ZOLT_GZIP} -9nc ${zolt_packaging}/changelog > ${zolt_packaging}/changelog.gz
  DEPENDS ${zolt_packaging}/changelog)
add_custom_target(zolt_changelog ALL DEPENDS ${zolt_packaging}/changelog.gz)

set(zolt_package_docs
  "runtime|libostrelzoltdll20"
  "development|libostrelzoltdll-dev"
  "zolt|ostrelzoltdll-zolt"
  "programs|ostrelzoltdll-programs")
foreach(row IN LISTS zolt_package_docs)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 component)
  list(GET row 1 package)
  install(FILES ${zolt_packaging}/copyright ${zolt_packaging}/changelog.gz ${zolt_notices}
    DESTINATION ${zolt_doc}/${package} COMPONENT ${component})
endforeach()
install(FILES ${zolt_site_guides} ${PROJECT_SOURCE_DIR}/CHANGELOG.md
    ${PROJECT_SOURCE_DIR}/packaging/README.txt
  DESTINATION ${zolt_doc}/libostrelzoltdll20 COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/INTEGRATING.md
  DESTINATION ${zolt_doc}/libostrelzoltdll-dev COMPONENT development)
zolt_install_examples(${zolt_doc}/libostrelzoltdll-dev/examples development)

include(${CMAKE_CURRENT_LIST_DIR}/man_pages.cmake)

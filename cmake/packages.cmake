# The packages, made by `cmake --build --preset <linux|windows> --target
# package` into <build>/packages/ (their contents: cmake/install_rules.cmake):
#   Windows: OstrelZOLTDLL-20.0.0-win32.zip (and, with --target msi, the
#            installer OstrelZOLT-20.0.0-win32.msi: packaging/msi/)
#   Linux:   libostrelzoltdll20_20.0.0_<arch>.deb, libostrelzoltdll-dev_...,
#            ostrelzoltdll-zolt_..., ostrelzoltdll-programs_...,
#            OstrelZOLTDLL-20.0.0-Linux.tar.gz (all four in one tree)

set(CPACK_PACKAGE_NAME OstrelZOLTDLL)
set(CPACK_PACKAGE_VENDOR "${ZOLT_PACKAGE_MANUFACTURER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")

if(WIN32)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "PIN library for point-of-sale programs at Ostrel sites")
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
  include(CPack)
  return()
endif()

set(CPACK_GENERATOR DEB TGZ)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development zolt programs)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZOLT_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# Depends from the binaries' own needs (libc, libstdc++, the programs' Qt),
# and a shlibs file so that programs linked against the library depend on
# its package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The dynamic linker's cache is brought up to date through dpkg's ldconfig
# trigger; the postinst and postrm that CPack adds to call ldconfig
# themselves are taken out again after packaging (deb_without_ldconfig.cmake).
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/deb_without_ldconfig.cmake)

set(zolt_library_package "libostrelzoltdll${PROJECT_VERSION_MAJOR}")
set(zolt_exact "${zolt_library_package} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${zolt_library_package})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libostrelzoltdll-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${zolt_exact}")
set(CPACK_DEBIAN_ZOLT_PACKAGE_NAME ostrelzoltdll-zolt)
set(CPACK_DEBIAN_ZOLT_PACKAGE_DEPENDS "${zolt_exact}")
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME ostrelzoltdll-programs)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_DEPENDS "${zolt_exact}")

# Descriptions: a summary line, then lines of at most 80 characters, which
# Debian shows as they are. (No CPACK_PACKAGE_DESCRIPTION_SUMMARY here: CPack
# would put it before each of them.)
string(JOIN "\n" CPACK_DEBIAN_RUNTIME_DESCRIPTION
  "PIN library for point-of-sale programs at Ostrel sites"
  "OstrelZOLTDLL issues the six-digit PINs that customers use with a site's"
  "Ostrel system, one per basket sold; the point-of-sale stations of a site"
  "share them through one data folder. A point-of-sale program loads"
  "libOstrelZOLTDLL.so.20 by name. The site guides are in"
  "/usr/share/doc/${zolt_library_package}.")
string(JOIN "\n" CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
  "PIN library for point-of-sale programs at Ostrel sites - development files"
  "The C header, the pkg-config and CMake package files and the link for"
  "building point-of-sale programs against OstrelZOLTDLL, the declarations for"
  "Visual Basic 6/VBA, .NET and Delphi/Free Pascal callers, and an example"
  "program in each language.")
string(JOIN "\n" CPACK_DEBIAN_ZOLT_DESCRIPTION
  "site tool of the Ostrel PIN system"
  "zolt shows what the PIN library would answer at a station and why, draws"
  "the day's PIN tables, tells whether a customer's PIN is one of today's,"
  "sells and rehearses many stations, and checks the installed library.")
string(JOIN "\n" CPACK_DEBIAN_PROGRAMS_DESCRIPTION
  "test and setup programs of the Ostrel PIN system"
  "ZOLTDLLTestAPP issues PINs through the library as a point-of-sale program"
  "does; MakeZOLTconfigurationFile compares the library's settings with the"
  "Ostrel product's and writes the library's settings file. Both read and"
  "write files beside their own executable, so they are installed into"
  "/usr/lib/ostrelzoltdll/ to be copied into a station folder.")

include(CPack)

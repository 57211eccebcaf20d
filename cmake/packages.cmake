# The packages, made by `cmake --build --preset <linux|windows> --target
# package` into <build>/packages/:
#   Windows: OstrelZOLTDLL-20.0.0-win32.zip
#   Linux:   ostrelzoltdll_20.0.0_<arch>.deb,
#            OstrelZOLTDLL-20.0.0-Linux.tar.gz
# Their contents are the install rules (cmake/install_rules.cmake).
set(CPACK_PACKAGE_NAME OstrelZOLTDLL)
set(CPACK_PACKAGE_VENDOR "Ostrel PIN system")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "PIN library for point-of-sale programs at Ostrel sites")
# Lines of at most 80 characters: Debian shows them as they are.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "OstrelZOLTDLL issues the six-digit PINs that customers use with a site's"
  "Ostrel system, one per basket sold; the point-of-sale stations of a site"
  "share them through one data folder."
  "The package holds the library, its C header, pkg-config and CMake package"
  "files, an example point-of-sale program, the test program ZOLTDLLTestAPP,"
  "the setup program MakeZOLTconfigurationFile and the site tool zolt.")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_DEBIAN_PACKAGE_NAME ostrelzoltdll)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "Ostrel PIN system developers <pin-team@ostrel.example>")
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Depends from the binaries' own needs (the programs' Qt, libc, ...), and
  # a shlibs file so that programs linked against the library depend on it.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # The ldconfig cache is brought up to date through dpkg's trigger.
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/triggers)
endif()

include(CPack)

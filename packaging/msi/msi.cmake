# The Windows installer: `cmake --build --preset windows --target msi` makes
# <build>/packages/OstrelZOLT-<version>-win32.msi from the same install tree
# as the zip (installed stripped into <build>/msi-stage), with wixl from
# Debian's msitools, then sets the DLL's file version in the File table
# (msibuild), which wixl leaves empty; see OstrelZOLT.wxs. Included by
# cmake/install_rules.cmake in the Windows build.
find_program(ZOLT_WIXL wixl)
find_program(ZOLT_MSIBUILD msibuild)
if(NOT ZOLT_WIXL OR NOT ZOLT_MSIBUILD)
  message(STATUS "wixl or msibuild not found: no msi target (apt-get install wixl msitools)")
  return()
endif()
set(zolt_msi ${CMAKE_BINARY_DIR}/packages/OstrelZOLT-${PROJECT_VERSION}-win32.msi)
set(zolt_msi_stage ${CMAKE_BINARY_DIR}/msi-stage)
set(zolt_msi_targets OstrelZOLTDLL zolt zolt_declarations)
foreach(program ZOLTDLLTestAPP MakeZOLTconfigurationFile)
  if(TARGET ${program})
    list(APPEND zolt_msi_targets ${program})
  endif()
endforeach()
add_custom_target(msi
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${zolt_msi_stage}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${zolt_msi_stage} --strip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packages
  # wixl finds each File's Source from the folder it runs in.
  COMMAND ${CMAKE_COMMAND} -E chdir ${zolt_msi_stage}
    ${ZOLT_WIXL} --arch x86 -D Version=${PROJECT_VERSION}
    "-D" "Manufacturer=${ZOLT_PACKAGE_MANUFACTURER}"
    -o ${zolt_msi} ${CMAKE_CURRENT_LIST_DIR}/OstrelZOLT.wxs
  COMMAND ${ZOLT_MSIBUILD} ${zolt_msi} -q
    "UPDATE `File` SET `Version` = '${PROJECT_VERSION}.0', `Language` = '1033' WHERE `File` = 'OstrelZOLTDLL.dll'"
  DEPENDS ${zolt_msi_targets} ${CMAKE_CURRENT_LIST_DIR}/OstrelZOLT.wxs
  COMMENT "Windows installer ${zolt_msi}"
  VERBATIM)

# CPack post-build script: takes the postinst and postrm out of each .deb
# where they do nothing but call ldconfig, which CPack adds to every package
# with a library under /usr/lib. The package activates dpkg's ldconfig
# trigger instead (packaging/triggers), as Debian's own library packages
# do, and lintian warns about the direct calls. The package is rebuilt with
# dpkg-deb from its own files, nothing else changed.
cmake_minimum_required(VERSION 3.25)
find_program(DPKG_DEB dpkg-deb REQUIRED)
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree ${CPACK_TOPLEVEL_DIRECTORY}/repack)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND ${DPKG_DEB} -R ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  set(changed FALSE)
  foreach(script postinst postrm)
    set(path ${tree}/DEBIAN/${script})
    if(EXISTS ${path})
      file(STRINGS ${path} lines)
      list(FILTER lines EXCLUDE REGEX "^[ \t]*(#!/bin/sh|set -e|if \\[.*\\]. then|ldconfig|fi|)[ \t]*$")
      if(NOT lines)
        file(REMOVE ${path})
        set(changed TRUE)
      endif()
    endif()
  endforeach()
  if(changed)
    execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Zxz -b ${tree} ${deb}
      OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  endif()
  file(REMOVE_RECURSE ${tree})
endforeach()

# Run by CPack once it has made the .deb (CPACK_POST_BUILD_SCRIPTS). CPack writes a
# postinst and a postrm that run ldconfig whenever a shared library lies anywhere under
# /usr/lib, but Ventrix is private to /usr/lib/rilo1q12, where the programs load it from
# their own folder: the linker cache never needs it. The two scripts go, and the
# package is made again from the same tree without them.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  set(tree ${deb}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb -R ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  foreach(script postinst postrm)
    if(NOT EXISTS ${tree}/DEBIAN/${script})
      continue()
    endif()
    # Only CPack's own ldconfig script may go: anything else in it would be lost.
    file(STRINGS ${tree}/DEBIAN/${script} lines)
    list(FILTER lines EXCLUDE REGEX "^(#!/bin/sh|set -e|if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then|[ \t]*ldconfig|fi|)$")
    if(lines)
      message(FATAL_ERROR "${script} does more than run ldconfig: ${lines}")
    endif()
    file(REMOVE ${tree}/DEBIAN/${script})
  endforeach()
  execute_process(COMMAND dpkg-deb --root-owner-group -b ${tree} ${deb}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()

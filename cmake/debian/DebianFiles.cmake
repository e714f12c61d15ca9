# SPDX-License-Identifier: MIT
#
# The files Debian wants beside every package's contents, made from the
# project's own: the licence and the version.

# Writes the licence file LICENSE as Debian's machine-readable copyright file:
# the holder from its "Copyright (c)" line, the text below that line as the
# Expat licence (Debian's name for the MIT licence), blank lines as " .".
function(lumora_debian_copyright license output)
  file(READ ${license} text)
  if(NOT text MATCHES "Copyright \\(c\\) ([^\n]+)\n(.*)$")
    message(FATAL_ERROR "${license} has no \"Copyright (c)\" line")
  endif()
  set(holder ${CMAKE_MATCH_1})
  string(STRIP "${CMAKE_MATCH_2}" body)
  string(REGEX REPLACE "\n\n" "\n.\n" body "${body}")
  string(REGEX REPLACE "\n" "\n " body "${body}")
  file(WRITE ${output} "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${PROJECT_NAME}

Files: *
Copyright: ${holder}
License: Expat
 ${body}
")
endfunction()

# Writes the changelog template with the project's version and the
# maintainer, compressed as Debian keeps changelogs: gzip -9 without a
# name or time stamp, so the same tree gives the same bytes.
function(lumora_debian_changelog template output)
  configure_file(${template} ${output}.txt @ONLY)
  execute_process(COMMAND gzip -9nc ${output}.txt OUTPUT_FILE ${output} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${output}.txt")
  endif()
endfunction()

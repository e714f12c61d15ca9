# SPDX-License-Identifier: MIT
#
# The file Debian wants beside every package's contents that is made from
# the project's own: the licence.

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

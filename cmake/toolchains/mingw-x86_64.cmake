# SPDX-License-Identifier: MIT
# 64-bit Windows with Debian's mingw-w64 cross compiler, run through wine64.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(LUMORA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

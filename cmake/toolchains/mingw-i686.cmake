# SPDX-License-Identifier: MIT
# 32-bit Windows with Debian's mingw-w64 cross compiler, run through wine32.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(LUMORA_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

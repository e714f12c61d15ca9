# SPDX-License-Identifier: MIT
# What both Windows cross builds share; the word-size files set
# LUMORA_MINGW_TRIPLET, the processor and the Wine loader first. The posix
# thread model is the one GoogleTest's std::mutex and std::thread need.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${LUMORA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMORA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${LUMORA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LUMORA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The test programs run under Wine without the compiler's DLLs next to them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Shared part of the mingw-w64 cross toolchains; the including file sets
# VORNUP_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR. The posix thread flavour
# of the compilers is used: it builds everything GoogleTest needs, and with
# the static runtime its thread library is linked in as well.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VORNUP_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORNUP_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VORNUP_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VORNUP_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

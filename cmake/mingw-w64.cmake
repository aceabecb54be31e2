# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the -posix
# compilers, for std::thread and friends). The runtime is linked statically
# unless HELIXPLOT_MINGW_SHARED_RUNTIME is on, so the programs need no DLL
# beside the system's; tests run through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HELIXPLOT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HELIXPLOT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HELIXPLOT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${HELIXPLOT_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${HELIXPLOT_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${HELIXPLOT_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${HELIXPLOT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages also from the prefixes named in CMAKE_PREFIX_PATH (GoogleTest).
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Qt for Windows is built as DLLs that share the C++ runtime's DLLs with the
# program: HELIXPLOT_MINGW_SHARED_RUNTIME=ON for Qt and the desktop program.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES HELIXPLOT_MINGW_SHARED_RUNTIME)
if(NOT HELIXPLOT_MINGW_SHARED_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endif()

find_program(HELIXPLOT_WINE NAMES wine wine64)
if(HELIXPLOT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${HELIXPLOT_WINE})
endif()

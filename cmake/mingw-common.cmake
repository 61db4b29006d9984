# SPDX-License-Identifier: MIT
# Shared part of the MinGW-w64 cross toolchains: Debian's posix-thread compilers (so
# std::thread and std::mutex work), the MinGW runtime linked statically (the programs run on
# a bare Windows), and no host libraries or headers found by accident.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VARNIX_MINGW_CPU})
set(CMAKE_C_COMPILER ${VARNIX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNIX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNIX_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VARNIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Windows 7 and later: WSAPoll, GetTickCount64, CreateProcessW with a job-free kill.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DUNICODE -D_UNICODE")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DUNICODE -D_UNICODE")

# SPDX-License-Identifier: MIT
# 64-bit Windows (x86_64) with Debian's g++-mingw-w64-x86-64-posix.
set(VARNIX_MINGW_TRIPLE x86_64-w64-mingw32)
set(VARNIX_MINGW_CPU AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# SPDX-License-Identifier: MIT
# 32-bit Windows (i686) with Debian's g++-mingw-w64-i686-posix.
set(VARNIX_MINGW_TRIPLE i686-w64-mingw32)
set(VARNIX_MINGW_CPU i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

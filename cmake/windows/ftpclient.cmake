# SPDX-License-Identifier: MIT
# varnix32_core in the Windows build: the Win32 platform files in place of the POSIX ones, and
# the system's TLS provider (SChannel).
get_target_property(varnix_core_sources varnix32_core SOURCES)
list(REMOVE_ITEM varnix_core_sources
    src/abort_signal.cpp
    src/local_files.cpp)
list(APPEND varnix_core_sources
    src/platform/win32/abort_signal_win32.cpp
    src/platform/win32/local_files_win32.cpp
    src/platform/win32/name_lookup_win32.cpp
    src/platform/win32/net_win32.cpp
    src/platform/win32/tls_schannel_context.cpp
    src/platform/win32/tls_schannel_stream.cpp
    src/platform/win32/tls_schannel_verify.cpp
    src/platform/win32/utf16.cpp)
set_property(TARGET varnix32_core PROPERTY SOURCES ${varnix_core_sources})
target_link_libraries(varnix32_core PUBLIC ws2_32 secur32 crypt32)

# SPDX-License-Identifier: MIT
# quarv32 in the Windows build: exports and ordinals from quarv32.def, the engine's Win32
# platform files, and CLI11 (header-only) from the build machine's headers.
varnix_windows_dll(quarv32 ${CMAKE_CURRENT_SOURCE_DIR}/quarv32.def)
# $Exec's program through CreateProcessW (platform/win32/system_win32.cpp).
get_target_property(quarv_objects_sources quarv32_objects SOURCES)
list(REMOVE_ITEM quarv_objects_sources engine/program.cpp)
set_property(TARGET quarv32_objects PROPERTY SOURCES ${quarv_objects_sources})

if(NOT TARGET CLI11::CLI11)
    # Only the CLI folder: the rest of /usr/include belongs to the build machine.
    set(varnix_cli11_root ${CMAKE_BINARY_DIR}/cli11-include)
    file(MAKE_DIRECTORY ${varnix_cli11_root})
    file(CREATE_LINK /usr/include/CLI ${varnix_cli11_root}/CLI SYMBOLIC)
    add_library(CLI11::CLI11 INTERFACE IMPORTED)
    set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${varnix_cli11_root})
endif()

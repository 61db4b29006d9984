# SPDX-License-Identifier: MIT
# The Windows build (MinGW-w64 cross toolchains in cmake/mingw-*.cmake): DLLs whose exports
# and ordinals come from module-definition files, no version suffix on their names, and the
# runtime linked statically (set in the toolchain files). Programs and DLLs go to one folder,
# bin/, where Windows finds the DLLs a program loads.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Links `target` with its .def file: the names it lists are exported undecorated, at the
# ordinals it gives; the import library (NAME.lib) goes to the build folder of the target.
function(varnix_windows_dll target def_file)
    target_sources(${target} PRIVATE ${def_file})
    set_target_properties(${target} PROPERTIES
        PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".lib"
        VERSION "" SOVERSION "")
endfunction()

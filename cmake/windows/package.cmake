# SPDX-License-Identifier: MIT
# The Windows zip (CPack ZIP): the DLLs, their import libraries, the headers, quarv.exe,
# brisel32.exe and the documentation. Included only in the Windows build, so the Linux
# packaging keeps its own CPack settings.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION doc)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION doc)
install(FILES ${PROJECT_SOURCE_DIR}/batch/quarv32.def ${PROJECT_SOURCE_DIR}/ftpclient/varnix32.def
        DESTINATION lib)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(varnix_windows_arch win64)
else()
    set(varnix_windows_arch win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME varnix)
set(CPACK_PACKAGE_VENDOR "varnix")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME varnix-${PROJECT_VERSION}-${varnix_windows_arch})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)

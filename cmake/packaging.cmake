# SPDX-License-Identifier: MIT
# Documentation, manual pages and the Debian packages (CPack): libvarnix32, libquarv32, their
# -dev packages, quarv and brisel32, all of the project's one version.

# Manual pages carry the version; each goes with the package of what it describes.
foreach(page quarv.1 brisel32.1 varnix32.3)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.in ${PROJECT_BINARY_DIR}/man/${page} @ONLY)
endforeach()
install(FILES ${PROJECT_BINARY_DIR}/man/quarv.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT quarv)
install(FILES ${PROJECT_BINARY_DIR}/man/varnix32.3 DESTINATION ${CMAKE_INSTALL_MANDIR}/man3
        COMPONENT libvarnix32-dev)
if(TARGET brisel32)
    install(FILES ${PROJECT_BINARY_DIR}/man/brisel32.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
            COMPONENT brisel32)
endif()

# share/doc/<package>: the licence as Debian's copyright file, and each package's guides.
set(varnix_doc_components libvarnix32 libvarnix32-dev libquarv32 libquarv32-dev quarv)
if(TARGET brisel32)
    list(APPEND varnix_doc_components brisel32)
endif()
foreach(component IN LISTS varnix_doc_components)
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE RENAME copyright
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${component} COMPONENT ${component})
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/docs/varnix32.md
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libvarnix32-dev COMPONENT libvarnix32-dev)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/script-language.md
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quarv COMPONENT quarv)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quarv/examples COMPONENT quarv
        FILES_MATCHING PATTERN "*.qv" PATTERN "*.c" REGEX "/deploy/[^/]+$")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnix)
set(CPACK_PACKAGE_VENDOR "the varnix authors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "FTP transfer automation toolkit")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL ${varnix_doc_components})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "the varnix authors <varnix@localhost>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://localhost/varnix")
# Dependencies on system libraries come from dpkg-shlibdeps; the libraries get a shlibs file.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Our own libraries are found in this build; their packages are named in the lists below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/ftpclient
                                                ${PROJECT_BINARY_DIR}/batch)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

# name;section;description;dependencies on packages of this project
set(same "(= ${PROJECT_VERSION})")
set(varnix_packages
    "libvarnix32|libs|FTP and FTPS client library|"
    "libvarnix32-dev|libdevel|FTP client library: headers, pkg-config and CMake files, varnix32(3)|libvarnix32 ${same}"
    "libquarv32|libs|FTP batch script engine|libvarnix32 ${same}"
    "libquarv32-dev|libdevel|FTP batch script engine: headers, pkg-config and CMake files|libquarv32 ${same}, libvarnix32-dev ${same}"
    "quarv|net|runs FTP batch scripts: progress, netrc, JSON Lines reports|libquarv32 ${same}, libvarnix32 ${same}"
    "brisel32|net|desktop test bench for the varnix32 FTP library|libvarnix32 ${same}")
foreach(entry IN LISTS varnix_packages)
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 0 name)
    list(GET fields 1 section)
    list(GET fields 2 summary)
    list(GET fields 3 depends)
    string(TOUPPER ${name} upper)
    set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${name})
    set(CPACK_DEBIAN_${upper}_PACKAGE_SECTION ${section})
    set(CPACK_COMPONENT_${upper}_DESCRIPTION "${summary}")
    if(depends)
        set(CPACK_DEBIAN_${upper}_PACKAGE_DEPENDS "${depends}")
    endif()
endforeach()

include(CPack)

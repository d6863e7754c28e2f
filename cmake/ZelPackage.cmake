# Debian packages through CPack (./zel package): the runtime libraries, the
# development files and the zelutil tool, each with its copyright and
# changelog where Debian looks for them.
set(ZEL_DEB_RUNTIME libzelutilu${PROJECT_VERSION_MAJOR})
set(ZEL_DEB_DEV libzelutilu-dev)
set(ZEL_DEB_TOOL zelutil)
set(ZEL_DEB_VERSION ${PROJECT_VERSION})

# Per package: copyright, and the changelog compressed as Debian wants it
# (no name or time stamp in the gzip header, so the package is reproducible).
set(ZEL_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/package/changelog.gz)
add_custom_command(OUTPUT ${ZEL_CHANGELOG_GZ}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/package
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/CHANGELOG > ${ZEL_CHANGELOG_GZ}
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG VERBATIM)
add_custom_target(zel_changelog ALL DEPENDS ${ZEL_CHANGELOG_GZ})
configure_file(${PROJECT_SOURCE_DIR}/cmake/copyright.in ${PROJECT_BINARY_DIR}/package/copyright @ONLY)
foreach(pair runtime:${ZEL_DEB_RUNTIME} dev:${ZEL_DEB_DEV} tool:${ZEL_DEB_TOOL})
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES ${PROJECT_BINARY_DIR}/package/copyright ${ZEL_CHANGELOG_GZ}
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelutilu)
set(CPACK_PACKAGE_VERSION ${ZEL_DEB_VERSION})
set(CPACK_PACKAGE_CONTACT "ZELUtilU developers <zelutilu@example.org>")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime dev tool)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Our own libraries are found in the packaging tree, not on the system.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${ZEL_DEB_RUNTIME})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# The dynamic linker's cache is renewed through dpkg's trigger.
file(WRITE ${PROJECT_BINARY_DIR}/package/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/package/triggers)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "ZELUtilU utility classes - runtime libraries
The shared libraries of ZELUtilU: one small uniform class per facility
(SQL databases, 97-2003 workbooks, XML, HTML, serial ports, FTP, disks).")
set(CPACK_DEBIAN_DEV_PACKAGE_NAME ${ZEL_DEB_DEV})
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${ZEL_DEB_RUNTIME} (= ${ZEL_DEB_VERSION})")
set(CPACK_DEBIAN_DEV_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_DEV_DESCRIPTION "ZELUtilU utility classes - development files
Headers, the CMake package and the pkg-config file for building
applications against ZELUtilU.")
set(CPACK_DEBIAN_TOOL_PACKAGE_NAME ${ZEL_DEB_TOOL})
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "${ZEL_DEB_RUNTIME} (= ${ZEL_DEB_VERSION})")
set(CPACK_DEBIAN_TOOL_DESCRIPTION "command line for the ZELUtilU utility classes
zelutil reads and edits SQL databases, XML and HTML files (and the other
facilities ZELUtilU offers) from the shell, through the public classes.")
include(CPack)

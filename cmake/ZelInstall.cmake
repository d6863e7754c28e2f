# cmake --install: flat public headers, the platform headers they pull in,
# the three shared libraries, a CMake package and a pkg-config file.
include(CMakePackageConfigHelpers)

set(ZEL_INCDIR ${CMAKE_INSTALL_INCLUDEDIR}/ZELUtilU)
install(CODE "
  set(ZEL_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
  set(ZEL_BINARY_DIR \"${PROJECT_BINARY_DIR}\")
  set(ZEL_INCLUDE_DEST \"${ZEL_INCDIR}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/ZelHeaders.cmake\")" COMPONENT dev)

# The runtime package holds the versioned libraries (and any loadable
# module a facility adds to the runtime component); the development
# package the link names, headers, CMake package and pkg-config file.
install(TARGETS ZELCommonU ZELFileU ZELUtilU EXPORT ZELUtilUTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
  INCLUDES DESTINATION ${ZEL_INCDIR})
install(EXPORT ZELUtilUTargets NAMESPACE ZELUtilU:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ZELUtilU COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ZELUtilUConfig.cmake.in
  ${PROJECT_BINARY_DIR}/ZELUtilUConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ZELUtilU)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ZELUtilUConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ZELUtilUConfig.cmake ${PROJECT_BINARY_DIR}/ZELUtilUConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ZELUtilU COMPONENT dev)

file(RELATIVE_PATH ZEL_PC_UP /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/ZELUtilU.pc.in ${PROJECT_BINARY_DIR}/ZELUtilU.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ZELUtilU.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# cmake --install: flat public headers, the platform headers they pull in,
# the three shared libraries, a CMake package and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ZEL_INCDIR ${CMAKE_INSTALL_INCLUDEDIR}/ZELUtilU)
file(GLOB public_headers ${PROJECT_SOURCE_DIR}/include/*.h)
install(FILES ${public_headers}
  ${PROJECT_SOURCE_DIR}/common/ZELLog.h ${PROJECT_SOURCE_DIR}/common/ZELResult.h
  ${PROJECT_SOURCE_DIR}/common/ZELGF.h ${PROJECT_SOURCE_DIR}/common/ZELCallBack.h
  ${PROJECT_SOURCE_DIR}/common/ZELFile.h
  DESTINATION ${ZEL_INCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/ DESTINATION ${ZEL_INCDIR}/platform
  FILES_MATCHING PATTERN "*.h")

install(TARGETS ZELCommonU ZELFileU ZELUtilU EXPORT ZELUtilUTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${ZEL_INCDIR})
install(EXPORT ZELUtilUTargets NAMESPACE ZELUtilU:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ZELUtilU)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ZELUtilUConfig.cmake.in
  ${PROJECT_BINARY_DIR}/ZELUtilUConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ZELUtilU)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ZELUtilUConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ZELUtilUConfig.cmake ${PROJECT_BINARY_DIR}/ZELUtilUConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/ZELUtilU)

file(RELATIVE_PATH ZEL_PC_UP /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/ZELUtilU.pc.in ${PROJECT_BINARY_DIR}/ZELUtilU.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ZELUtilU.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Installation, in three components that the Debian packages follow:
#   runtime      the shared library and its SONAME link
#   development  the headers, the .so link or the static library, the CMake
#                package (find_package(hostmath) gives hostmath::hostmath) and
#                the pkg-config file
#   command      the hostmath command and its manual page (tools/CMakeLists.txt)
include(CMakePackageConfigHelpers)

install(TARGETS hostmath EXPORT hostmathTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/hostmath.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  COMPONENT development)
install(FILES ${PROJECT_SOURCE_DIR}/include/hostmath/batch.h ${PROJECT_SOURCE_DIR}/include/hostmath/check.h
  ${PROJECT_SOURCE_DIR}/include/hostmath/gtest.h ${PROJECT_SOURCE_DIR}/include/hostmath/hostmath_c.h
  ${HOSTMATH_GENERATED_INCLUDE_DIR}/hostmath/version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/hostmath COMPONENT development)

set(HOSTMATH_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/hostmath)
install(EXPORT hostmathTargets NAMESPACE hostmath:: DESTINATION ${HOSTMATH_CMAKE_DIR}
  COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/hostmathConfig.cmake.in
  ${PROJECT_BINARY_DIR}/hostmathConfig.cmake INSTALL_DESTINATION ${HOSTMATH_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/hostmathConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/hostmathConfig.cmake ${PROJECT_BINARY_DIR}/hostmathConfigVersion.cmake
  DESTINATION ${HOSTMATH_CMAKE_DIR} COMPONENT development)

# The .pc file finds its prefix from its own place, so a staged or relocated
# install works as well as the packaged one.
file(RELATIVE_PATH HOSTMATH_PC_TO_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
configure_file(${PROJECT_SOURCE_DIR}/cmake/hostmath.pc.in ${PROJECT_BINARY_DIR}/hostmath.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/hostmath.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT development)

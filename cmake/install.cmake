# Installation: the library with its SONAME links, the headers, a CMake package
# (find_package(hostmath) gives hostmath::hostmath), a pkg-config file, and a
# Debian package through CPack.
include(CMakePackageConfigHelpers)

install(TARGETS hostmath EXPORT hostmathTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/hostmath.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/hostmath/batch.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/hostmath)

set(HOSTMATH_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/hostmath)
install(EXPORT hostmathTargets NAMESPACE hostmath:: DESTINATION ${HOSTMATH_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/hostmathConfig.cmake.in
  ${PROJECT_BINARY_DIR}/hostmathConfig.cmake INSTALL_DESTINATION ${HOSTMATH_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/hostmathConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/hostmathConfig.cmake ${PROJECT_BINARY_DIR}/hostmathConfigVersion.cmake
  DESTINATION ${HOSTMATH_CMAKE_DIR})

# The .pc file finds its prefix from its own place, so a staged or relocated
# install works as well as the packaged one.
file(RELATIVE_PATH HOSTMATH_PC_TO_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
configure_file(${PROJECT_SOURCE_DIR}/cmake/hostmath.pc.in ${PROJECT_BINARY_DIR}/hostmath.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/hostmath.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

set(CPACK_PACKAGE_NAME hostmath)
set(CPACK_PACKAGE_VENDOR "hostmath developers")
set(CPACK_PACKAGE_CONTACT "hostmath developers <hostmath@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)

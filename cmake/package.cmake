# Debian packages built by CPack, one per installed component:
#   runtime      -> libhostmath1      the shared library (shlibs, ldconfig trigger)
#   development  -> libhostmath-dev   headers, CMake package, .pc, the .so link
#   command      -> hostmath          the command and its manual page
#   python       -> python3-hostmath  the Python module, when the build installs one
# Each carries the copyright file and the changelog of cmake/debian.  Build
# them with `cpack -G DEB` in a tree configured with CMAKE_INSTALL_PREFIX=/usr
# (the "package" preset), which puts the library in the multiarch directory.
set(HOSTMATH_PACKAGE_CONTACT "hostmath developers <hostmath@example.org>" CACHE STRING
    "Maintainer named in the Debian packages")
set(debian_dir ${PROJECT_SOURCE_DIR}/cmake/debian)

# The changelog's newest entry must be this version: a package whose
# changelog names another version misleads whoever installs it.
file(STRINGS ${debian_dir}/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^hostmath \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "cmake/debian/changelog starts with '${changelog_head}': add an entry for ${PROJECT_VERSION}")
endif()
if(NOT CMAKE_INSTALL_LIBDIR MATCHES "/" AND CMAKE_LIBRARY_ARCHITECTURE)
  message(STATUS "Debian packages: configure with -DCMAKE_INSTALL_PREFIX=/usr for the multiarch library directory")
endif()

set(CPACK_PACKAGE_NAME hostmath)
set(CPACK_PACKAGE_VENDOR "hostmath developers")
set(CPACK_PACKAGE_CONTACT "${HOSTMATH_PACKAGE_CONTACT}")
# Empty, so that each package's synopsis is the first line of its own
# description below rather than one line shared by all.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# Dependencies on the C and C++ libraries come from the binaries themselves;
# libhostmath.so.1 is found in the build tree and depended on by component.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The library's package refreshes the loader cache through libc's ldconfig
# trigger (CPack adds the same call to its maintainer scripts).
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
    ${debian_dir}/triggers)
# Every shared object packaged (libhostmath.so, the Python module) names the C
# library as a dependency even where its code calls only into libm, libstdc++
# or libhostmath: Debian requires it of every shared library, and a compiler
# that links with --as-needed would drop it.
get_property(source_dirs DIRECTORY PROPERTY SUBDIRECTORIES)
foreach(dir IN LISTS source_dirs ITEMS ${PROJECT_SOURCE_DIR})
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(SHARED|MODULE)_LIBRARY$")
      target_link_options(${target} PRIVATE LINKER:--no-as-needed)
    endif()
  endforeach()
endforeach()

# Each package's description: its synopsis, then this, then what it holds.
string(CONCAT extended_description
  "hostmath computes on the host CPU, to the last bit, what an accelerator's\n"
  "scalar math functions compute on the device: bfloat16 and half conversions\n"
  "in every rounding mode, erfinv, erfcinv, erfcx, normcdf, sinpi, cospi, rsqrt,\n"
  "rcbrt, min and max, each named qx_math_func_host_ and the device name.")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libhostmath${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "device math functions on the host, bit for bit: library\n${extended_description}\n\nThis package holds the shared library.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libhostmath-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "device math functions on the host, bit for bit: development files\n${extended_description}\n\nThis package holds the headers, the CMake package (hostmath::hostmath) and\nthe pkg-config file.")

set(CPACK_DEBIAN_COMMAND_PACKAGE_NAME hostmath)
set(CPACK_DEBIAN_COMMAND_PACKAGE_SECTION math)
set(CPACK_COMPONENT_COMMAND_DEPENDS runtime)
set(CPACK_COMPONENT_COMMAND_DESCRIPTION "device math functions on the host, bit for bit: command\n${extended_description}\n\nThis package holds the hostmath command, which evaluates any of them on\narguments given on the command line or on standard input.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-hostmath)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
# A compiled module serves the Python version it was built for (found by the
# python/ build as Python3_VERSION) and no other.
if(Python3_VERSION_MAJOR AND Python3_VERSION_MINOR)
  math(EXPR next_minor "${Python3_VERSION_MINOR} + 1")
  set(python_depends "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}~), python3 (<< ${Python3_VERSION_MAJOR}.${next_minor})")
else()
  set(python_depends python3)
endif()
# The NumPy whose C API the module was built against (python/ finds it).
if(NOT HOSTMATH_PYTHON_NUMPY_DEPENDS)
  set(HOSTMATH_PYTHON_NUMPY_DEPENDS python3-numpy)
endif()
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${python_depends}, ${HOSTMATH_PYTHON_NUMPY_DEPENDS}")
set(CPACK_COMPONENT_PYTHON_DEPENDS runtime)
set(CPACK_COMPONENT_PYTHON_DESCRIPTION "device math functions on the host, bit for bit: Python 3 module\n${extended_description}\n\nThis package holds the Python 3 module, which applies them to NumPy arrays.")

# The components this build installs (python only where the module is built).
get_cmake_property(installed_components COMPONENTS)
set(CPACK_COMPONENTS_ALL "")
foreach(component IN ITEMS runtime development command python)
  if(component IN_LIST installed_components)
    list(APPEND CPACK_COMPONENTS_ALL ${component})
  endif()
endforeach()

# Debian wants the copyright file and the changelog (compressed, no time
# stamp) in /usr/share/doc/PACKAGE of every package; a plain install skips them.
set(changelog_gz ${PROJECT_BINARY_DIR}/debian/changelog.gz)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/debian)
execute_process(COMMAND gzip -9n INPUT_FILE ${debian_dir}/changelog OUTPUT_FILE ${changelog_gz}
                RESULT_VARIABLE gzip_status)
if(NOT gzip_status EQUAL 0)
  message(FATAL_ERROR "gzip failed on cmake/debian/changelog")
endif()
foreach(component IN LISTS CPACK_COMPONENTS_ALL)
  string(TOUPPER ${component} upper)
  install(FILES ${debian_dir}/copyright ${changelog_gz}
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME}
          COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

include(CPack)

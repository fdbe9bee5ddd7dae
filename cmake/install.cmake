# What `make install` / `cmake --install` puts where, for a host that builds
# against the installed tree:
#   lib/libbsp.so.MAJOR (+ the .so link)       the library, SONAME libbsp.so.MAJOR
#   include/bsp/bsp.h                          the contract
#   bin/bsp                                    the command, RPATH $ORIGIN/../lib
#   lib/cmake/bsp/                             find_package(bsp) -> bsp::bsp
#   lib/pkgconfig/bsp.pc                       pkg-config --cflags --libs bsp
#   lib/python3/dist-packages/bsp/             the ctypes package
include(CMakePackageConfigHelpers)

set(BSP_PYTHON_INSTALL_DIR "lib/python3/dist-packages" CACHE STRING
    "Where the Python package goes, relative to the prefix (Debian's python3 reads lib/python3/dist-packages under /usr and /usr/local)")

# The installed command finds the installed library relative to itself, so a
# prefix can be moved or be a temporary folder.
file(RELATIVE_PATH bsp_bin_to_lib /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
set_target_properties(bsp_cli PROPERTIES INSTALL_RPATH "$ORIGIN/${bsp_bin_to_lib}")

install(TARGETS bsp EXPORT bspTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/bsp/bsp.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/bsp)
install(TARGETS bsp_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(bsp_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/bsp)
install(EXPORT bspTargets NAMESPACE bsp:: DESTINATION ${bsp_cmake_dir} FILE bspTargets.cmake)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/bspConfig.cmake.in
  ${PROJECT_BINARY_DIR}/bspConfig.cmake INSTALL_DESTINATION ${bsp_cmake_dir})
# Within one major version the exports and their slots never change.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/bspConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/bspConfig.cmake ${PROJECT_BINARY_DIR}/bspConfigVersion.cmake
  DESTINATION ${bsp_cmake_dir})

# The prefix is found from the .pc file's own place, so `--prefix` at install
# time needs no reconfiguration.
file(RELATIVE_PATH bsp_pc_to_prefix /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" bsp_pc_to_prefix "${bsp_pc_to_prefix}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/bsp.pc.in ${PROJECT_BINARY_DIR}/bsp.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/bsp.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The Python package learns where the library sits relative to itself; in the
# source tree that file is absent and the package looks in the build folders.
file(RELATIVE_PATH bsp_python_to_lib /${BSP_PYTHON_INSTALL_DIR}/bsp /${CMAKE_INSTALL_LIBDIR})
file(WRITE ${PROJECT_BINARY_DIR}/python/_installed.py
"# Written at installation: the library's folder relative to this package.
LIBRARY = \"${bsp_python_to_lib}/libbsp.so.${PROJECT_VERSION_MAJOR}\"
")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/bsp DESTINATION ${BSP_PYTHON_INSTALL_DIR}
  PATTERN __pycache__ EXCLUDE)
install(FILES ${PROJECT_BINARY_DIR}/python/_installed.py DESTINATION ${BSP_PYTHON_INSTALL_DIR}/bsp)

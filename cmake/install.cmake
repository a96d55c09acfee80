# What `cmake --install` puts where, the CMake package `uhigh`, the
# pkg-config file and the Debian package (cpack -G DEB).
include(CMakePackageConfigHelpers)

set(uhigh_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/uhigh)

install(TARGETS uhigh-bench RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES man/uhigh-bench.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES bignum/uhigh.h bignum/split_decimal.h bignum/kernels.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/bignum)
install(TARGETS bignum EXPORT uhighTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT uhighTargets NAMESPACE uhigh:: DESTINATION ${uhigh_cmake_dir})

configure_package_config_file(packaging/uhighConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/uhighConfig.cmake
                              INSTALL_DESTINATION ${uhigh_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/uhighConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/uhighConfig.cmake ${PROJECT_BINARY_DIR}/uhighConfigVersion.cmake
        DESTINATION ${uhigh_cmake_dir})

# The .pc file finds its prefix from its own place, so it is right for any
# --prefix given at install time.
file(RELATIVE_PATH uhigh_pc_to_prefix
     /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(packaging/uhigh.pc.in ${PROJECT_BINARY_DIR}/uhigh.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/uhigh.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Debian package: uhigh-bench_1.0.0_<arch>.deb, dependencies from the shared
# libraries the program links.
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/uhigh-bench)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME uhigh-bench)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "uhigh-bench developers <uhigh-bench@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "exact factorials and powers of two, timed")
set(CPACK_PACKAGE_DESCRIPTION
    "uhigh-bench is an interactive console benchmark of uhigh, an
arbitrary-precision unsigned decimal integer class that keeps one digit
per byte. It asks for n and a repetition count, times that many
computations of n!, prints the seconds and n! in full, and then does the
same for 2^p computed by doubling.

The package also holds the class as a static library with its headers,
its CMake package (uhigh) and its pkg-config file.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/debian-layout.cmake)
include(CPack)

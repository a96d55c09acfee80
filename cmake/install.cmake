# What `cmake --install` puts where, the CMake package `uhigh`, the
# pkg-config file and, at the top level, the Debian packages (cpack -G DEB):
# uhigh-bench, the program and its manual page; libuhigh-dev, the class's
# headers, library, CMake package and pkg-config file; and from a shared
# build libuhigh1, the shared library under its SONAME, on which
# libuhigh-dev (then with the .so link and the static library as well) and
# the program depend.
include(CMakePackageConfigHelpers)

set(uhigh_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/uhigh)

if(TARGET uhigh-bench AND UHIGH_BUILD_PROGRAM)
  install(TARGETS uhigh-bench RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
  install(FILES man/uhigh-bench.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)
  install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/uhigh-bench
          COMPONENT program)
endif()

install(FILES bignum/uhigh.h bignum/uhigh_types.h bignum/uhigh_inline.h bignum/kernels.h
              ${PROJECT_BINARY_DIR}/include/bignum/uhigh_export.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/bignum COMPONENT dev)
install(TARGETS uhigh EXPORT uhighTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
if(BUILD_SHARED_LIBS)
  # Debian's -dev package also carries the static library: the internal
  # archive, made of the same objects as the shared one.
  install(TARGETS uhigh_internal ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
  install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libuhigh1
          COMPONENT runtime)
endif()
install(EXPORT uhighTargets NAMESPACE uhigh:: DESTINATION ${uhigh_cmake_dir} COMPONENT dev)
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libuhigh-dev
        COMPONENT dev)

configure_package_config_file(packaging/uhighConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/uhighConfig.cmake
                              INSTALL_DESTINATION ${uhigh_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/uhighConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/uhighConfig.cmake ${PROJECT_BINARY_DIR}/uhighConfigVersion.cmake
        DESTINATION ${uhigh_cmake_dir} COMPONENT dev)

# The .pc file finds its prefix from its own place, so it is right for any
# --prefix given at install time. A static library's users define what its
# export header expects of them.
file(RELATIVE_PATH uhigh_pc_to_prefix /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
if(BUILD_SHARED_LIBS)
  set(uhigh_pc_cflags "")
else()
  set(uhigh_pc_cflags " -DUHIGH_STATIC_DEFINE")
endif()
configure_file(packaging/uhigh.pc.in ${PROJECT_BINARY_DIR}/uhigh.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/uhigh.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT dev)

# The packages are the top-level project's alone: a project that takes the
# class in with UHIGH_INSTALL=ON keeps its own CPack.
if(NOT PROJECT_IS_TOP_LEVEL)
  return()
endif()

# Debian packages, one per component, named as Debian names them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME uhigh-bench)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "uhigh-bench developers <uhigh-bench@example.org>")
# Each package's description below begins with its own synopsis line.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL program dev)
if(BUILD_SHARED_LIBS)
  list(APPEND CPACK_COMPONENTS_ALL runtime)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME uhigh-bench)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION
    "exact factorials and powers of two, timed
uhigh-bench is an interactive console benchmark of uhigh, an
arbitrary-precision unsigned decimal integer class that keeps one digit
per byte. It asks for n and a repetition count, times that many
computations of n!, prints the seconds and n! in full, and then does the
same for 2^p computed by doubling.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libuhigh-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# What both library packages say of the class, before their own line.
set(uhigh_about "uhigh is a C++17 class for arbitrary-precision unsigned integers kept as
decimal digits, one per byte, so that printing needs no conversion of
base. Its digit loops run on SSE2, AVX2, AVX-512 or NEON where the CPU
has them.
.")
set(CPACK_DEBIAN_DEV_DESCRIPTION
    "decimal arbitrary-precision unsigned integers (development files)
${uhigh_about}
This package holds the headers, the static library, the CMake package
(find_package(uhigh)) and the pkg-config file (uhigh).")

if(BUILD_SHARED_LIBS)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libuhigh${PROJECT_VERSION_MAJOR})
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
      "decimal arbitrary-precision unsigned integers (shared library)
${uhigh_about}
This package holds the shared library.")
  # libuhigh1 says which of its versions a program built against it needs
  # (its shlibs file), and has the dynamic linker's cache refreshed through
  # dpkg's ldconfig trigger, as Debian asks, not through maintainer scripts.
  # The other two packages depend on exactly this version.
  file(WRITE ${PROJECT_BINARY_DIR}/packaging/shlibs
       "libuhigh ${PROJECT_VERSION_MAJOR} libuhigh${PROJECT_VERSION_MAJOR} (>= ${PROJECT_VERSION})\n")
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/packaging/shlibs
                                                 ${PROJECT_SOURCE_DIR}/packaging/libuhigh/triggers
                                                 ${PROJECT_SOURCE_DIR}/packaging/libuhigh/postinst
                                                 ${PROJECT_SOURCE_DIR}/packaging/libuhigh/postrm)
  set(uhigh_runtime_dependency "libuhigh${PROJECT_VERSION_MAJOR} (= ${PROJECT_VERSION})")
  set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${uhigh_runtime_dependency}")
  set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "${uhigh_runtime_dependency}")
  # dpkg-shlibdeps finds libuhigh.so.1 in the build tree, where it is made.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
endif()

set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/debian-layout.cmake)
include(CPack)

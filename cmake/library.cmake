# The uhigh class as a library: libuhigh.a by default, libuhigh.so.1 with
# -DBUILD_SHARED_LIBS=ON. Either way it is the target uhigh::bignum, its
# headers are <bignum/...> and need C++17 of whoever includes them, and only
# what bignum/uhigh.h and bignum/kernels.h declare is visible outside it.
include(GenerateExportHeader)

# Position-independent and hidden by default, so the static library can go
# into a consumer's shared object and the shared one exports its API alone.
set(uhigh_library_properties POSITION_INDEPENDENT_CODE ON CXX_VISIBILITY_PRESET hidden
                             VISIBILITY_INLINES_HIDDEN ON)

# The digit kernels, every form, compiled once and linked into the class.
add_library(uhigh_kernels OBJECT bignum/kernels/reference.cpp bignum/kernels/select.cpp
                                 bignum/kernels/word.cpp)
set_target_properties(uhigh_kernels PROPERTIES ${uhigh_library_properties})
target_include_directories(uhigh_kernels PUBLIC ${PROJECT_SOURCE_DIR}
                                                ${PROJECT_BINARY_DIR}/include)
if(UHIGH_X86_SIMD)
  # Each instruction set in a file of its own, compiled for that set only;
  # kernels/select.cpp runs a form only on a CPU that has its set.
  target_sources(uhigh_kernels PRIVATE bignum/kernels/sse2.cpp bignum/kernels/avx2.cpp
                                       bignum/kernels/avx512.cpp)
  set_source_files_properties(bignum/kernels/avx2.cpp PROPERTIES COMPILE_OPTIONS "-mavx2")
  set_source_files_properties(bignum/kernels/avx512.cpp PROPERTIES
                              COMPILE_OPTIONS "-mavx512f;-mavx512bw")
  target_compile_definitions(uhigh_kernels PRIVATE UHIGH_X86_SIMD=1)
endif()
if(UHIGH_NEON)
  target_sources(uhigh_kernels PRIVATE bignum/kernels/neon.cpp)
  target_compile_definitions(uhigh_kernels PRIVATE UHIGH_NEON=1)
endif()
if(UHIGH_NEON32)
  # Only this file may use NEON: the rest must run on an ARMv7 without it.
  target_sources(uhigh_kernels PRIVATE bignum/kernels/neon_armv7.cpp)
  set_source_files_properties(bignum/kernels/neon_armv7.cpp PROPERTIES COMPILE_OPTIONS "-mfpu=neon")
  target_compile_definitions(uhigh_kernels PRIVATE UHIGH_NEON32=1)
endif()

set(bignum_class_sources bignum/uhigh.cpp bignum/uhigh_add_sub.cpp bignum/uhigh_compare.cpp
                         bignum/uhigh_multiply.cpp bignum/uhigh_output.cpp)
add_library(bignum ${bignum_class_sources} $<TARGET_OBJECTS:uhigh_kernels>)
add_library(uhigh::bignum ALIAS bignum)
set_target_properties(bignum PROPERTIES OUTPUT_NAME uhigh EXPORT_NAME bignum
                      VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
                      ${uhigh_library_properties})
target_include_directories(bignum PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                         $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
                                         $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_compile_features(bignum PUBLIC cxx_std_17)

# bignum/uhigh_export.h: UHIGH_EXPORT marks the API. The kernels' objects
# are part of the library, so they are compiled as its own sources are.
generate_export_header(bignum BASE_NAME uhigh
                       EXPORT_FILE_NAME ${PROJECT_BINARY_DIR}/include/bignum/uhigh_export.h)
if(BUILD_SHARED_LIBS)
  target_compile_definitions(uhigh_kernels PRIVATE bignum_EXPORTS)
else()
  target_compile_definitions(bignum PUBLIC UHIGH_STATIC_DEFINE)
  target_compile_definitions(uhigh_kernels PUBLIC UHIGH_STATIC_DEFINE)
endif()

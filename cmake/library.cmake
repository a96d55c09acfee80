# The uhigh class as a library: libuhigh.a by default, libuhigh.so.1 with
# -DBUILD_SHARED_LIBS=ON; its sources are compiled once per build. Either
# way it is the target uhigh::uhigh (also uhigh::bignum, its earlier name),
# its headers are <bignum/...> and need C++17 of whoever includes them, and only
# what bignum/uhigh.h and bignum/kernels.h declare is visible outside it.
include(GenerateExportHeader)

# Position-independent and hidden by default, so the static library can go
# into a consumer's shared object and the shared one exports its API alone.
set(uhigh_library_properties POSITION_INDEPENDENT_CODE ON CXX_VISIBILITY_PRESET hidden
                             VISIBILITY_INLINES_HIDDEN ON)

# The digit kernels, every form this target has, compiled once and linked
# into the class. Each SIMD form's file alone is compiled for its
# instruction set; kernels/select.cpp runs a form only on a CPU that has it.
add_library(uhigh_kernels OBJECT bignum/kernels/select.cpp)
set_target_properties(uhigh_kernels PROPERTIES ${uhigh_library_properties})
target_include_directories(uhigh_kernels PUBLIC ${PROJECT_SOURCE_DIR}
                                                ${PROJECT_BINARY_DIR}/include)
set(UHIGH_KERNEL_FORMS "")
file(STRINGS bignum/kernels/forms.list uhigh_form_lines REGEX "^[a-z]")
foreach(line IN LISTS uhigh_form_lines)
  string(REGEX MATCHALL "[^ ]+" fields "${line}")
  list(GET fields 0 name)
  list(GET fields 1 condition)
  list(GET fields 2 source)
  list(GET fields 3 options)
  if(NOT condition STREQUAL "always" AND NOT ${condition})
    continue()
  endif()
  target_sources(uhigh_kernels PRIVATE bignum/kernels/${source})
  if(NOT options STREQUAL "-")
    string(REPLACE "," ";" options "${options}")
    set_source_files_properties(bignum/kernels/${source} PROPERTIES COMPILE_OPTIONS "${options}")
  endif()
  if(NOT condition STREQUAL "always")
    target_compile_definitions(uhigh_kernels PRIVATE ${condition}=1)
  endif()
  list(APPEND UHIGH_KERNEL_FORMS ${name})
endforeach()
list(REMOVE_DUPLICATES UHIGH_KERNEL_FORMS)

# The class's sources, compiled once into objects that both the library and
# the internal library below are made of.
add_library(uhigh_objects OBJECT
  bignum/uhigh.cpp bignum/uhigh_add_sub.cpp bignum/uhigh_compare.cpp bignum/uhigh_convert.cpp
  bignum/uhigh_divide.cpp bignum/uhigh_multiply.cpp bignum/uhigh_output.cpp
  bignum/limbs/words.cpp bignum/limbs/multiply.cpp bignum/limbs/divide.cpp bignum/limbs/ntt.cpp)
set_target_properties(uhigh_objects PROPERTIES ${uhigh_library_properties})
target_include_directories(uhigh_objects PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/include)
add_library(uhigh $<TARGET_OBJECTS:uhigh_objects> $<TARGET_OBJECTS:uhigh_kernels>)
add_library(uhigh::uhigh ALIAS uhigh)
add_library(uhigh::bignum ALIAS uhigh)  # its earlier name, which consumers still use
set_target_properties(uhigh PROPERTIES EXPORT_NAME uhigh VERSION ${PROJECT_VERSION}
                      SOVERSION ${PROJECT_VERSION_MAJOR} ${uhigh_library_properties})
target_include_directories(uhigh PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                        $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
                                        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
# Whoever includes the headers needs C++17; the library's own sources are
# C++20 (designated initialisers, std::endian), without GNU extensions.
target_compile_features(uhigh PUBLIC cxx_std_17)
target_compile_features(uhigh_objects PRIVATE cxx_std_20)
target_compile_features(uhigh_kernels PRIVATE cxx_std_20)
set_target_properties(uhigh uhigh_objects uhigh_kernels PROPERTIES CXX_EXTENSIONS OFF)

# bignum/uhigh_export.h: UHIGH_EXPORT marks the API. The kernels' objects
# are part of the library, so they are compiled as its own sources are.
generate_export_header(uhigh BASE_NAME uhigh
                       EXPORT_FILE_NAME ${PROJECT_BINARY_DIR}/include/bignum/uhigh_export.h)
if(BUILD_SHARED_LIBS)
  target_compile_definitions(uhigh_objects PRIVATE uhigh_EXPORTS)
  target_compile_definitions(uhigh_kernels PRIVATE uhigh_EXPORTS)
else()
  target_compile_definitions(uhigh PUBLIC UHIGH_STATIC_DEFINE)
  target_compile_definitions(uhigh_objects PUBLIC UHIGH_STATIC_DEFINE)
  target_compile_definitions(uhigh_kernels PUBLIC UHIGH_STATIC_DEFINE)
endif()

# uhigh_internal: the same objects with every internal name reachable, for
# the program's dialogue library, the tests, benchmarks and fuzzers that
# call the limbs and the kernels directly. A static library is already
# that; a shared one hides them, so the objects go into an archive of
# their own as well, libuhigh.a, which Debian's -dev package carries.
if(BUILD_SHARED_LIBS)
  add_library(uhigh_internal STATIC $<TARGET_OBJECTS:uhigh_objects> $<TARGET_OBJECTS:uhigh_kernels>)
  set_target_properties(uhigh_internal PROPERTIES OUTPUT_NAME uhigh)
  target_include_directories(uhigh_internal PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/include)
  target_compile_features(uhigh_internal PUBLIC cxx_std_17)
else()
  add_library(uhigh_internal INTERFACE)
  target_link_libraries(uhigh_internal INTERFACE uhigh)
endif()

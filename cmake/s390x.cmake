# s390x with Debian's s390x-linux-gnu cross compiler, run under qemu-s390x:
#   cmake -S . -B build-s390x --toolchain cmake/s390x.cmake
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(UHIGH_TRIPLET s390x-linux-gnu)
set(UHIGH_QEMU qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

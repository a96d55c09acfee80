# aarch64 with Debian's aarch64-linux-gnu cross compiler, run under qemu-aarch64:
#   cmake -S . -B build-aarch64 --toolchain cmake/aarch64.cmake
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(UHIGH_TRIPLET aarch64-linux-gnu)
set(UHIGH_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

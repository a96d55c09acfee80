# armhf with Debian's arm-linux-gnueabihf cross compiler, run under qemu-arm:
#   cmake -S . -B build-armhf --toolchain cmake/armhf.cmake
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(UHIGH_TRIPLET arm-linux-gnueabihf)
set(UHIGH_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

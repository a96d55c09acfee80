# Shared part of the Linux cross toolchains: Debian's cross compiler for
# UHIGH_TRIPLET, libraries from its multiarch directories (libgmp-dev:ARCH),
# static linking so that qemu-user runs the binaries without a sysroot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${UHIGH_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${UHIGH_TRIPLET}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${UHIGH_TRIPLET} /usr/lib/${UHIGH_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_LIBRARY_ARCHITECTURE ${UHIGH_TRIPLET})
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${UHIGH_TRIPLET}/pkgconfig:/usr/share/pkgconfig)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(UHIGH_STATIC_LINK ON)  # the top-level file then looks for static libraries only
set(CMAKE_CROSSCOMPILING_EMULATOR ${UHIGH_QEMU})

# Cross build for the TV: 32-bit ARM, hard-float EABI (Debian's
# crossbuild-essential-armhf, g++ 12). Test programs run on the build
# machine under qemu-arm with the armhf C library as its root, so CTest and
# gtest_discover_tests work as on a native build.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(RUVO_ARMHF_TRIPLE arm-linux-gnueabihf)
set(RUVO_ARMHF_SYSROOT /usr/${RUVO_ARMHF_TRIPLE})

# googletest's own project() enables C as well as C++.
set(CMAKE_C_COMPILER ${RUVO_ARMHF_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${RUVO_ARMHF_TRIPLE}-g++)

# Tools (qemu-arm, ctest helpers) come from the build machine; libraries,
# headers and CMake packages only from the target's root, so a host library
# of the same name can never be linked into an ARM binary.
set(CMAKE_FIND_ROOT_PATH ${RUVO_ARMHF_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -L makes qemu-arm load ld-linux-armhf.so.3 and libstdc++ from the
# cross toolchain instead of the host's (x86-64) /lib. Building for the TV
# needs no emulator; only running the tests here does (package qemu-user).
find_program(RUVO_QEMU_ARM qemu-arm)
if(RUVO_QEMU_ARM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RUVO_QEMU_ARM} -L ${RUVO_ARMHF_SYSROOT})
endif()

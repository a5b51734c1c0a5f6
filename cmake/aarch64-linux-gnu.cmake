# Cross-builds for ARM64 Linux with Debian's aarch64 cross compiler and runs
# what it builds, tests included, under qemu-aarch64 with the cross sysroot.
# CMAKE_CXX_COMPILER=clang++ (with --target set by this file) builds it with
# Clang instead.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CIPHORA_CROSS_TRIPLE aarch64-linux-gnu)
set(CIPHORA_CROSS_SYSROOT /usr/${CIPHORA_CROSS_TRIPLE})
if(NOT CMAKE_CXX_COMPILER)
  set(CMAKE_C_COMPILER ${CIPHORA_CROSS_TRIPLE}-gcc)
  set(CMAKE_CXX_COMPILER ${CIPHORA_CROSS_TRIPLE}-g++)
endif()
set(CMAKE_C_COMPILER_TARGET ${CIPHORA_CROSS_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${CIPHORA_CROSS_TRIPLE})

set(CMAKE_FIND_ROOT_PATH ${CIPHORA_CROSS_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Building needs no emulator; running the tests does.
find_program(QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static)
if(QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_AARCH64} -L ${CIPHORA_CROSS_SYSROOT})
endif()

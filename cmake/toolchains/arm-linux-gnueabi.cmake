# arm-linux-gnueabi.cmake: Debian's armel cross compiler (g++-arm-linux-gnueabi), with
# programs run under qemu-arm (qemu-user) so that CTest can run the tests on x86-64.
#   cmake -S . -B build/arm -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabi.cmake
include(${CMAKE_CURRENT_LIST_DIR}/arm920t.cmake)

set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
set(PARTICLES_ARM_TARGET_ROOT /usr/arm-linux-gnueabi)
set(CMAKE_FIND_ROOT_PATH ${PARTICLES_ARM_TARGET_ROOT})

# Debian's armel C library is built for ARMv5TE, and qemu has no ARMv4T model: arm926
# is the oldest CPU that runs it, so nothing newer than ARMv5TE is accepted at run time.
find_program(PARTICLES_QEMU_ARM qemu-arm)
if(PARTICLES_QEMU_ARM)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${PARTICLES_QEMU_ARM} -cpu arm926 -L ${PARTICLES_ARM_TARGET_ROOT})
endif()

# Debian has no SDL 1.2 development package for armel that installs beside the native
# one, and the frame code needs SDL's event type only: its headers do not depend on the
# architecture in anything that type uses (little-endian, 64-bit integers available).
if(EXISTS /usr/include/SDL/SDL.h)
  set(SDL_INCLUDE_DIR /usr/include/SDL CACHE PATH "SDL 1.2 headers (event type only)")
endif()

# console-sdk.cmake: a console SDK's cross compiler and sysroot, the sysroot holding the
# console's C library and SDL 1.2 (headers in usr/include/SDL, libSDL in usr/lib).
#   cmake -S . -B build/console -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/console-sdk.cmake \
#     -DCONSOLE_CROSS_PREFIX=/opt/sdk/bin/arm-linux- -DCONSOLE_SYSROOT=/opt/sdk/sysroot
# Both may also come from the environment variables of the same names.
include(${CMAKE_CURRENT_LIST_DIR}/arm920t.cmake)

foreach(var CONSOLE_CROSS_PREFIX CONSOLE_SYSROOT)
  if(NOT DEFINED ${var} AND DEFINED ENV{${var}})
    set(${var} "$ENV{${var}}")
  endif()
  if(NOT ${var})
    message(FATAL_ERROR "console-sdk.cmake: set ${var} (see the comment at the top of this file)")
  endif()
endforeach()
# The compiler checks run in nested projects that see only the variables listed here.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CONSOLE_CROSS_PREFIX CONSOLE_SYSROOT)

set(CMAKE_C_COMPILER ${CONSOLE_CROSS_PREFIX}gcc)
set(CMAKE_CXX_COMPILER ${CONSOLE_CROSS_PREFIX}g++)
set(CMAKE_SYSROOT ${CONSOLE_SYSROOT})
set(CMAKE_FIND_ROOT_PATH ${CONSOLE_SYSROOT})

# With qemu-user installed, the tests can run under emulation on the SDK's own C library.
find_program(PARTICLES_QEMU_ARM qemu-arm)
if(PARTICLES_QEMU_ARM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PARTICLES_QEMU_ARM} -cpu arm926 -L ${CONSOLE_SYSROOT})
endif()

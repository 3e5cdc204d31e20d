# arm920t.cmake: code generation for the console's CPU, shared by the ARM toolchain files.
# ARMv4T in ARM state, tuned for the ARM920T; no FPU, so floats and 64-bit division
# go through the compiler's runtime library.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

# Position-dependent code: the console's Linux 2.4 loads fixed-address executables
# only, and without PIE every global and table is reached without a GOT load.
set(PARTICLES_ARM_FLAGS "-march=armv4t -mtune=arm920t -marm -mfloat-abi=soft -fno-pie")
set(CMAKE_C_FLAGS_INIT "${PARTICLES_ARM_FLAGS}")
# -Wno-psabi: GCC notes every struct passed by value whose ABI changed in GCC 7.1; the
# program and its C++ runtime come from one compiler, so the change cannot bite.
set(CMAKE_CXX_FLAGS_INIT "${PARTICLES_ARM_FLAGS} -Wno-psabi")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-no-pie")

# Headers and libraries come from the target's tree only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# 32-bit x86 Linux: the platform-neutral code and its tests compiled as 32-bit
# code, as the i686 DLLs compile it (eight vector registers, 32-bit sizes and
# addresses), so that they run even on hosts where Wine runs no 32-bit Windows
# program. Where the host runs no 32-bit code at all they run under qemu-i386,
# which has AVX2 but not AVX-512.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZKV_CONFIG linux32)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# SSE2 as the i686 DLLs assume it.
set(CMAKE_C_FLAGS_INIT "-msse2")
set(CMAKE_CXX_FLAGS_INIT "-msse2")
# Linked statically: under qemu-i386 7.2 a dynamically linked program that
# starts a thread spins forever before creating it; a static one also needs
# no library path.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# scripts/build passes ZKV_I686_EMULATED=OFF where the host runs 32-bit code.
if(NOT DEFINED ZKV_I686_EMULATED OR ZKV_I686_EMULATED)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -cpu max)
endif()

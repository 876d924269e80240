# 32-bit Windows cross build: the shipped DLL. Its programs run with the trixie
# chroot's Wine, the 32-bit parts under qemu-i386 (tools/setup-win32-route.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KV_TRIPLE i686-w64-mingw32)
# Doubles in SSE2 registers, rounded to 64 bits at every step as in the 64-bit
# build, rather than in x87's 80-bit ones; every CPU that runs a supported
# Windows has SSE2.
set(CMAKE_C_FLAGS_INIT "-mfpmath=sse -msse2")
set(CMAKE_CXX_FLAGS_INIT "-mfpmath=sse -msse2")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine32-run.sh)

# Cross build for 64-bit Windows with Debian's mingw-w64 (the POSIX threads flavour, which
# std::thread and std::mutex need). scripts/test-windows uses it; the programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Libraries and packages come from the mingw tree and from what scripts/test-windows staged
# for the target (GoogleTest built from source, the JSON headers), never from the host.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${KV4910_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One executable without the mingw runtime DLLs beside it: Wine finds nothing to load.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

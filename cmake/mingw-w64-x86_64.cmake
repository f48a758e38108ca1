# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix thread model):
#   cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# and for the window program with Qt for MinGW, add -DCMAKE_PREFIX_PATH=QT_SDK.
# Programs built this way run under Wine; the tests use it through
# CMAKE_CROSSCOMPILING_EMULATOR (see cmake/Wine.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

# Headers and libraries of the target only; build tools still come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# A prefix given for the Windows libraries (the Qt for MinGW of the window program) is
# searched as a root of its own: otherwise find_package() looks for it inside the
# MinGW root and misses it.
if(CMAKE_PREFIX_PATH)
  list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})
endif()

# The compiler's own runtime (libstdc++, libgcc, winpthread) goes inside each program
# and ventrix.dll, so they run with nothing but the system's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)

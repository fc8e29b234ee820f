# Cross-building korvane for x64 Windows with Debian's mingw-w64 (the -posix
# compilers, whose C++ run-time has std::thread and std::mutex), tests run
# under wine:
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
# x64 only: NI's header declares its calls __stdcall on 32-bit Windows, which
# korvane's entry table does not carry.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Statically linked: no MinGW run-time DLL (libstdc++, libgcc, winpthread)
# has to travel with korvane.exe, the bench's DLL or the tests.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Programs built here (uir_gen at build time, every test) run under wine.
# Debian's wine64 package installs the loader outside PATH; wine (the
# wrapper) is taken when it is there.
find_program(KORVANE_WINE NAMES wine wine64 HINTS /usr/lib/wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KORVANE_WINE})

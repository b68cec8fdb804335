# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the POSIX thread
# model, for std::thread and std::mutex) and runs what it builds under Wine:
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#
# scripts/test-windows sets up the Wine prefix and the code page the tests
# expect; see there.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime goes into each executable, so Wine needs no DLL search path
# into the cross compiler's folders.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(MORVATEL_WINE wine)
if(MORVATEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${MORVATEL_WINE})
endif()

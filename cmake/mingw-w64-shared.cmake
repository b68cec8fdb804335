# The cross toolchain for Qt for Windows and the programs built against it:
# like mingw-w64.cmake but with the C++ runtime as a DLL, so Qt's libraries
# and the program share one runtime (two in one process each keep their own
# heap and exception state).
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_EXE_LINKER_FLAGS_INIT "")

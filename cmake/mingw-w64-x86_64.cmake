# Cross-building the Windows program on Debian with MinGW-w64 (the -posix compilers,
# whose thread model has std::thread and std::mutex). The C++ and GCC runtimes are linked
# statically, so the program needs only DLLs that every Windows has. Tests run under
# Wine through CTest's emulator setting.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(TIERMEND_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${TIERMEND_WINE}")

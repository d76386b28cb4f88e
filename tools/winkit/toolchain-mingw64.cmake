# Cross-compiling from Debian 12 to 64-bit Windows with MinGW-w64's GCC 12, posix thread model
# (std::thread needs it). Installed into the Qt kit, whose qt-cmake loads it for every project.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER /usr/bin/${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/${triplet}-g++-posix)
set(CMAKE_RC_COMPILER /usr/bin/${triplet}-windres)
foreach(tool ar ranlib nm objcopy objdump strip)
    string(TOUPPER ${tool} variable)
    set(CMAKE_${variable} /usr/bin/${triplet}-${tool} CACHE FILEPATH "")
endforeach()

# Headers and libraries from the MinGW tree and the kit only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest (and try_run) start the Windows programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

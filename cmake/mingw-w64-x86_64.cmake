# Cross-builds the Windows programs (64-bit) with Debian's MinGW-w64 compilers,
# the POSIX-threads flavour, so that std::thread and std::mutex work. The C
# and C++ runtimes are linked statically: each .exe needs only system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZENTORY_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZENTORY_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZENTORY_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZENTORY_MINGW_PREFIX}-windres)
set(CMAKE_AR ${ZENTORY_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZENTORY_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries and headers come from the cross tree only; programs run on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ZENTORY_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No link time in the .exe headers: two builds of one source give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")

# Cross-builds the Windows programs with Debian's mingw-w64 compiler, the posix-thread variant
# (std::thread and std::mutex need it). The run-time libraries are linked in, so the .exe files
# run under Wine or on Windows without extra DLLs beside them; CTest starts them through wine64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTREL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KESTREL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTREL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTREL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(KESTREL_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KESTREL_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTREL_WINE64})
endif()

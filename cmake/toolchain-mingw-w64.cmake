# Cross-builds the Windows programs (64-bit, Windows 10 and later) with
# Debian's MinGW-w64, the POSIX-threads variant (std::thread and
# std::call_once need it). Everything is linked statically, so no MinGW
# DLL has to travel beside the .exe. Tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALLIX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TALLIX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALLIX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TALLIX_MINGW_PREFIX}-windres)
set(CMAKE_STRIP ${TALLIX_MINGW_PREFIX}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${TALLIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs (CTest, GoogleTest's discovery) run through Wine.
find_program(TALLIX_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TALLIX_WINE})


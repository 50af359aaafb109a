# Cross build of a Windows program with MinGW-w64 (posix thread model, which
# GoogleTest needs for std::mutex). The preset sets ZED_WINDOWS_ARCH: i686 for
# the 32-bit program, x86_64 for the 64-bit one, built from the same files.
set(CMAKE_SYSTEM_NAME Windows)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZED_WINDOWS_ARCH)
if(NOT ZED_WINDOWS_ARCH MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "ZED_WINDOWS_ARCH must be i686 or x86_64, not '${ZED_WINDOWS_ARCH}'")
endif()
set(CMAKE_SYSTEM_PROCESSOR ${ZED_WINDOWS_ARCH})
set(triple ${ZED_WINDOWS_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test executables run under the Wine loader of their own width.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh;${ZED_WINDOWS_ARCH}")

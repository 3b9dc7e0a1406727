# Cross-build for Windows with Debian's MinGW-w64 (posix thread model).
# QUILLORA_TARGET_TRIPLE chooses the architecture: x86_64-w64-mingw32 (the
# default) builds the Quillora.exe that is released and tested;
# i686-w64-mingw32 the 32-bit one, which script/test only compiles, so that
# the code keeps no assumption about the size of a pointer or a handle.
set(CMAKE_SYSTEM_NAME Windows)
set(QUILLORA_TARGET_TRIPLE x86_64-w64-mingw32 CACHE STRING "MinGW-w64 target triple")
if(QUILLORA_TARGET_TRIPLE MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

set(triple ${QUILLORA_TARGET_TRIPLE})
set(CMAKE_C_COMPILER   ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

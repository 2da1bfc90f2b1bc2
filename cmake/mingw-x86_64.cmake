# The x86_64 twin of the Windows tree, for machines that run Wine's 64-bit side only (no 32-bit
# code segment for user programs, so neither wine32 nor wow64 can start an i686 program there).
# What ships stays i686; this tree only runs the same sources and tests under wine64
# (tools/build.sh twin).
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
# The tree names the i686 binutils for its import checks and import libraries; here they are the
# x86_64 ones (set before the tree looks for them, so its own search keeps them).
set(TOVRA_OBJDUMP /usr/bin/x86_64-w64-mingw32-objdump CACHE FILEPATH "")
set(ARC_DLLTOOL ${CMAKE_CURRENT_LIST_DIR}/x86_64-dlltool CACHE FILEPATH "")

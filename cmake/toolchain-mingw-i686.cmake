# Cross-compiling for 32-bit Windows with Debian's MinGW-w64 packages.
# The posix thread-model compilers are used because GoogleTest needs std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test programs run under Wine; the wrapper brings the project's own prefix and display.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/harness/wine-run)

# Shipped binaries are built with the win32 thread model (see the launcher).
function(qor_shipped_binary target)
  set(launcher ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/win32-threads-launcher)
  set_target_properties(${target} PROPERTIES
    C_COMPILER_LAUNCHER ${launcher}
    CXX_COMPILER_LAUNCHER ${launcher}
    C_LINKER_LAUNCHER ${launcher}
    CXX_LINKER_LAUNCHER ${launcher})
endfunction()

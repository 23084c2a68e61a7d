# Shipped binaries are built with the win32 thread-model runtime (see the
# launcher), so that they load on Windows XP.
function(qor_shipped_binary target)
  set(launcher ${PROJECT_SOURCE_DIR}/cmake/win32-threads-launcher)
  set_target_properties(${target} PROPERTIES
    C_COMPILER_LAUNCHER ${launcher}
    CXX_COMPILER_LAUNCHER ${launcher}
    C_LINKER_LAUNCHER ${launcher}
    CXX_LINKER_LAUNCHER ${launcher})
endfunction()

# Shipped binaries are built with the win32 thread-model runtime (see the
# launcher), so that they load on Windows XP. They are the same bytes whoever
# builds them from the same commit, wherever and whenever: the linker writes no
# link time into the headers (0 instead), nothing of the build's folders is
# compiled in, and the symbol table and the runtime's debugging sections, which
# carry file names and help nobody who runs the program, are stripped.
# KEEP_SYMBOLS keeps the symbol table for test builds whose symbols a test
# reads (qor_faults.exe).
function(qor_shipped_binary target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "KEEP_SYMBOLS" "" "")
  set(launcher ${PROJECT_SOURCE_DIR}/cmake/win32-threads-launcher)
  set_target_properties(${target} PROPERTIES
    C_COMPILER_LAUNCHER ${launcher}
    CXX_COMPILER_LAUNCHER ${launcher}
    C_LINKER_LAUNCHER ${launcher}
    CXX_LINKER_LAUNCHER ${launcher})
  target_compile_options(${target} PRIVATE
    -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
    -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
  target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp)
  if(NOT arg_KEEP_SYMBOLS)
    target_link_options(${target} PRIVATE -s)
  endif()
endfunction()

# The sources of the libraries named, with absolute paths: a shipped binary
# compiles them again with its own runtime instead of linking the libraries,
# which the tests link.
function(qor_sources_of out)
  set(all)
  foreach(library IN LISTS ARGN)
    get_target_property(dir ${library} SOURCE_DIR)
    get_target_property(sources ${library} SOURCES)
    foreach(source IN LISTS sources)
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${dir})
      list(APPEND all ${source})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES all)
  set(${out} ${all} PARENT_SCOPE)
endfunction()

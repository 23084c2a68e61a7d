# 64-bit Windows with Debian's MinGW-w64 packages: the same sources, run and
# tested under 64-bit Wine on machines that cannot run 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QOR_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# A program that writes files where its user says gets a manifest that asks
# to run as the invoker. Without one, Vista and later treat a 32-bit program
# as a legacy one and virtualise its writes: a save into C:\Program Files that
# the user may not make "succeeds" into the user's VirtualStore, where the
# program meant to read it never looks. With the manifest such a write fails
# and is traced like any refused write.
# - trustInfo in the asm.v2 namespace: Windows XP before SP3 refuses to load a
#   program whose manifest uses the asm.v3 form.
# - No supportedOS entries: they would change what GetVersionExA reports on
#   Windows 8.1 and later, and the DDE server scan goes by that.
set(QOR_AS_INVOKER_MANIFEST ${CMAKE_CURRENT_LIST_DIR}/as_invoker.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/as_invoker.rc.in ${CMAKE_BINARY_DIR}/as_invoker.rc @ONLY)
set(QOR_AS_INVOKER_RC ${CMAKE_BINARY_DIR}/as_invoker.rc)

#include "win_api.h"

namespace qor {

FARPROC BindProcedure(const char* library, const char* name) {
  // LoadLibraryA counts references itself; the library stays loaded for the
  // rest of the run, which is what every caller wants.
  HMODULE module = ::GetModuleHandleA(library);
  if (module == nullptr) module = ::LoadLibraryA(library);
  if (module == nullptr) return nullptr;
  return ::GetProcAddress(module, name);
}

}  // namespace qor

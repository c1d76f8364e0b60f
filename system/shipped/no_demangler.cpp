// Linked into the programs that ship, in place of the C++ runtime's demangler. Its one
// user there is the terminate handler, which names the type of an exception nobody
// caught on a console that a window program does not have; the demangler is a twelfth
// of Setup.exe. Without it the handler prints the type's name as the compiler wrote it.
#include <cstddef>

extern "C" char* __cxa_demangle(const char*, char*, std::size_t*, int* status) {
  if (status != nullptr) *status = -2;  // "not a name the ABI's mangling rules know"
  return nullptr;
}

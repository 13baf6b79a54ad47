// What happens when an exception escapes everything (the export guard catches
// them all, so only a throw from a destructor during unwinding or from a
// noexcept function gets here): the process ends at once.
//
// The runtime's default handler prints the exception's demangled type name to
// standard error, which a setup program does not have; defining it here keeps
// the demangler and the console output routines (about 50 KB) out of the DLL.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

// The program's std::terminate handler: end at once. The C++ runtime's
// default one writes the pending exception's demangled type name to stderr,
// which a window program does not have, and its demangler alone adds about
// 30 KB to the program. Defining the handler here keeps the runtime's own
// out of the link; both end the program through abort().
#include <cstdlib>

namespace __gnu_cxx {

[[gnu::used]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

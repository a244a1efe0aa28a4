// torvane.exe has no console, so the message that libstdc++'s default
// terminate handler writes to standard error before aborting reaches nobody.
// Defining that handler here keeps the library's own out of the program, and
// with it the C++ name demangler and formatted output the message needs:
// 57 KB of the release's 512. The process ends exactly as it did, by abort().
// (Nothing should get here: every callback traps its exceptions.)
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

// Sumwick.exe: takes no arguments; runs until Exit or the main window's close box.
#include <windows.h>

#include <cstdlib>

#include "app/program.h"
#include "os/win32/system_library.h"

// The runtime's default handler for an uncaught exception prints its demangled
// name to stderr, which a window program does not have; it also brings the
// whole demangler into the executable. Ending at once is all it would do here.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  os::KeepDllSearchInSystem32();
  return RunProgram();
}

// Not a test: a small program built with the program's own stack guard
// (src/app/stack_guard.cpp) in place of the compiler's, for
// dll_loading_test.cpp to start.
//   stack_guard_probe guard   prints the guard's value in hex, ends with 0
//   stack_guard_probe smash   writes past a buffer on the stack; ends with 3
//                             should that return
#include <cstdint>
#include <cstdio>
#include <cstring>

extern "C" std::uintptr_t __stack_chk_guard;

namespace {

__attribute__((noinline)) void WritePast(std::size_t length) {
  char buffer[16];
  volatile char* at = buffer;
  for (std::size_t i = 0; i < length; ++i) at[i] = 'x';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "guard") == 0) {
    std::printf("%llx\n", static_cast<unsigned long long>(__stack_chk_guard));
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "smash") == 0) {
    WritePast(std::strlen(argv[1]) * 16);
    return 3;
  }
  return 2;
}

// The stack guard's value and its failure handlers, in place of the compiler
// run time's. That one seeds the guard through the system's cryptographic
// provider before the program's first line, and so loads DLLs by name
// before the program has kept their search to System32. This one seeds it
// from what the process has at hand, as the platform's own compilers do:
// the time stamp counter, the performance counter, the clock, the process
// and thread ids, and the stack's and the image's random placement, with
// the processor's random numbers mixed in where it has them.
#include <windows.h>

#include <cpuid.h>
#include <immintrin.h>
#include <x86intrin.h>

#include <cstdint>

extern "C" {
std::uintptr_t __stack_chk_guard;

// A smashed stack or a checked copy past its buffer: the process ends at
// once, running nothing of its own on the way, and never returns. Where
// Windows has the fast-fail trap (8 and later) it is the way out: no handler
// of the process runs, and Windows Error Reporting records a stack buffer
// overrun. Elsewhere the process ends itself with that status; should that
// return, the processor's trap ends it.
[[noreturn]] void __stack_chk_fail() {
  if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE)) {
    // __fastfail, which MinGW-w64's headers lack.
    __asm__ volatile("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE) : "memory");
  }
  TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
  __builtin_trap();
}
[[noreturn]] void __chk_fail() { __stack_chk_fail(); }
}

namespace {

// Neither seeding function checks the guard it is changing.
__attribute__((target("rdrnd"), no_stack_protector)) std::uint64_t ProcessorRandom() {
  unsigned long long value = 0;
  for (int attempt = 0; attempt < 10; ++attempt)
    if (_rdrand64_step(&value)) return value;
  return 0;
}

std::uint64_t Mix(std::uint64_t seed, std::uint64_t value) {
  seed ^= value + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2);
  return seed;
}

// First among the constructors, before any function that checks the guard.
__attribute__((constructor(101), no_stack_protector)) void SeedStackGuard() {
  std::uint64_t seed = __rdtsc();
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  seed = Mix(seed, static_cast<std::uint64_t>(counter.QuadPart));
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  seed = Mix(seed, (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
  seed = Mix(seed, (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) | GetCurrentThreadId());
  seed = Mix(seed, reinterpret_cast<std::uintptr_t>(&seed));
  seed = Mix(seed, reinterpret_cast<std::uintptr_t>(&__stack_chk_guard));
  unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) && (ecx & bit_RDRND)) seed = Mix(seed, ProcessorRandom());
  // A zero low byte: a string copy that reads past its buffer stops at the guard.
  __stack_chk_guard = static_cast<std::uintptr_t>(seed) & ~static_cast<std::uintptr_t>(0xff);
}

}  // namespace

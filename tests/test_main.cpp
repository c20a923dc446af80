#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "failing_allocation.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#include <string>

#include "under_wine.h"

// Heap faults in the Windows tests. Where the system checks heap blocks' tails
// (Wine with WINEDEBUG=warn+heap; Windows with the heap tail checking of
// gflags), HeapValidate finds a block written past its end. Every heap of the
// process is validated after each test, and C++ objects are put on the process
// heap so that they are checked too (the C run-time's own heap is not, under
// Wine). Under Wine, a test run without the checks runs itself again with them.
void* operator new(std::size_t size) {
  if (ThisAllocationFails()) throw std::bad_alloc();
  if (void* block = HeapAlloc(GetProcessHeap(), 0, size ? size : 1)) return block;
  throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

namespace {

// Whether the system checks tails here: a private heap's block, overrun.
bool HeapTailsChecked() {
  HANDLE heap = HeapCreate(0, 0, 0);
  if (!heap) return false;
  auto* block = static_cast<volatile unsigned char*>(HeapAlloc(heap, 0, 16));
  bool checked = false;
  if (block) {
    block[16] = 0x5a;
    checked = !HeapValidate(heap, 0, nullptr);
  }
  HeapDestroy(heap);
  return checked;
}

bool HeapsIntact() {
  HANDLE heaps[256];
  const DWORD count = GetProcessHeaps(256, heaps);
  for (DWORD k = 0; k < count && k < 256; ++k)
    if (!HeapValidate(heaps[k], 0, nullptr)) return false;
  return true;
}

// Under Wine the checks follow WINEDEBUG, which a process reads as it starts:
// runs this executable again with them on, and gives its exit code; -1 where
// that is not for here (not Wine, checked already, or tried once).
int RunAgainWithHeapChecks() {
  if (!RunningUnderWine()) return -1;
  if (GetEnvironmentVariableW(L"SUMWICK_HEAP_CHECKS", nullptr, 0) > 0) return -1;
  SetEnvironmentVariableW(L"SUMWICK_HEAP_CHECKS", L"1");
  wchar_t channels[512] = L"";
  const DWORD length = GetEnvironmentVariableW(L"WINEDEBUG", channels, 512);
  std::wstring debug = length > 0 && length < 512 ? std::wstring(channels) + L"," : L"";
  SetEnvironmentVariableW(L"WINEDEBUG", (debug + L"warn+heap").c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, GetCommandLineW(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

class HeapCheck : public testing::EmptyTestEventListener {
 public:
  bool corrupted = false;

 private:
  void OnTestEnd(const testing::TestInfo& test) override {
    if (corrupted || HeapsIntact()) return;
    corrupted = true;
    std::fprintf(stderr, "HEAP CORRUPTED: a block was written past its end by %s.%s or a test before it\n",
                 test.test_suite_name(), test.name());
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (!HeapTailsChecked()) {
    const int again = RunAgainWithHeapChecks();
    if (again >= 0) return again;
    std::fprintf(stderr, "note: heap tails are not checked here (on Windows: gflags /i <test>.exe +htc)\n");
  }
  testing::InitGoogleTest(&argc, argv);
  auto* check = new HeapCheck;
  testing::UnitTest::GetInstance()->listeners().Append(check);
  const int result = RUN_ALL_TESTS();
  return check->corrupted ? 1 : result;
}

#else

// Every plain form, so that the sanitizers see each block freed as it was
// taken; the aligned forms stay the run-time's, in pairs.
void* operator new(std::size_t size) {
  if (ThisAllocationFails()) throw std::bad_alloc();
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept { return operator new(size, nothrow); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#endif

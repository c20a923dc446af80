// Memory running out where a test says: the test executables' operator new
// (test_main.cpp) fails the Nth allocation from the moment a test arms it, on
// the threads it names, by throwing std::bad_alloc (nothrow forms give null).
#pragma once

#include <cstdint>

enum class AllocatingThreads { kAny, kThisOne, kOthers };

// Arms one failure: the `nth` allocation from now (1 is the next) made by
// `threads` (this one meaning the arming thread) fails. Disarmed when it
// goes, or by the next arming.
class FailingAllocation {
 public:
  FailingAllocation(std::uint64_t nth, AllocatingThreads threads);
  ~FailingAllocation();
  FailingAllocation(const FailingAllocation&) = delete;
  FailingAllocation& operator=(const FailingAllocation&) = delete;
  // Whether the armed allocation was reached and failed.
  bool Failed() const;
};

// For operator new: whether this allocation is the one to fail.
bool ThisAllocationFails();

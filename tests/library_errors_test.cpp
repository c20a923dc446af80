// The program's own error paths of the standard library (linked here as in
// the program): a want of resources is std::bad_alloc, any other error ends
// the program.
#include <gtest/gtest.h>

#include <cerrno>
#include <mutex>
#include <new>
#include <vector>

namespace std {
[[noreturn]] void __throw_system_error(int);
[[noreturn]] void __throw_length_error(const char*);
}  // namespace std

namespace {

TEST(LibraryErrors, AWantOfResourcesIsOutOfMemory) {
  EXPECT_THROW(std::__throw_system_error(EAGAIN), std::bad_alloc) << "a thread the system refuses";
  EXPECT_THROW(std::__throw_system_error(ENOMEM), std::bad_alloc);
  std::vector<int> numbers;
  EXPECT_THROW(numbers.reserve(numbers.max_size() + 1), std::bad_alloc) << "more than memory holds";
}

// Not to be taken for "out of memory" by the handlers that end a step quietly.
TEST(LibraryErrorsDeathTest, ALockMisusedEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        try {
          std::__throw_system_error(EDEADLK);
        } catch (const std::bad_alloc&) {
        }
      },
      "");
  EXPECT_DEATH(
      {
        try {
          std::unique_lock<std::mutex> none;
          none.unlock();  // holds no lock: operation not permitted
        } catch (const std::bad_alloc&) {
        }
      },
      "");
}

}  // namespace

// The standard library's error paths, as the program itself links them.
//
// The library's own helpers that throw its exceptions come as one piece that
// also brings a copy-on-write string, std::system_error and their messages:
// about 40 KB of a program released at 400 KB at most, for texts no user ever
// reads. Here a want of resources (a container asked for more than memory
// holds, a thread the system refuses) throws std::bad_alloc, which the
// program's handlers already take as the end of that step; any other error
// (a lock misused: a fault of the program) ends it, as the library's
// exception would have when nothing catches it, rather than pass for "out of
// memory". The program's tests link the library's own helpers;
// library_errors_test.cpp tests these.
#include <cerrno>
#include <exception>
#include <new>

namespace std {

[[noreturn]] void __throw_bad_alloc() { throw std::bad_alloc(); }
[[noreturn]] void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
[[noreturn]] void __throw_length_error(const char*) { throw std::bad_alloc(); }
[[noreturn]] void __throw_system_error(int error) {
  if (error == EAGAIN || error == ENOMEM) throw std::bad_alloc();
  std::terminate();
}

[[noreturn]] void __throw_bad_exception() { std::terminate(); }
[[noreturn]] void __throw_bad_cast() { std::terminate(); }
[[noreturn]] void __throw_bad_typeid() { std::terminate(); }
[[noreturn]] void __throw_logic_error(const char*) { std::terminate(); }
[[noreturn]] void __throw_domain_error(const char*) { std::terminate(); }
[[noreturn]] void __throw_invalid_argument(const char*) { std::terminate(); }
[[noreturn]] void __throw_out_of_range(const char*) { std::terminate(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { std::terminate(); }
[[noreturn]] void __throw_runtime_error(const char*) { std::terminate(); }
[[noreturn]] void __throw_range_error(const char*) { std::terminate(); }
[[noreturn]] void __throw_overflow_error(const char*) { std::terminate(); }
[[noreturn]] void __throw_underflow_error(const char*) { std::terminate(); }

}  // namespace std

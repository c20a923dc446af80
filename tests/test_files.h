// Scratch files for tests: a fresh folder per test, removed afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

struct ScratchFolder {
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The wide path of `name` inside the folder.
  std::wstring PathOf(const std::wstring& name) const;
  // Writes `bytes` to `name` and returns its wide path.
  std::wstring Write(const std::wstring& name, const std::string& bytes) const;
  // Creates `name` of `size` bytes without writing them (sparse where possible).
  std::wstring WriteSparse(const std::wstring& name, std::uint64_t size) const;

  std::filesystem::path root;
};

// Nested folders of 60-character names inside `root`, made until the deepest
// path is at least `length` characters long: past the classic 260-character
// limit where the standard library stops on Win32. When it goes it removes the
// files in its deepest folder and the folders it made.
struct DeepFolder {
  DeepFolder(const std::wstring& root, std::size_t length);
  ~DeepFolder();
  DeepFolder(const DeepFolder&) = delete;
  DeepFolder& operator=(const DeepFolder&) = delete;

  // The path of `name` inside the deepest folder.
  std::wstring PathOf(const std::wstring& name) const;

  std::wstring root;
  std::wstring path;  // the deepest folder; empty when one could not be made
};

// How many files this process holds open (POSIX: its descriptors; Win32: its
// file handles), so that a test can see an operation close every file it
// opened. Fails the test when the system does not tell.
int OpenFileCount();

// `size` bytes of a fixed pseudo-random pattern.
std::string PatternBytes(std::size_t size, std::uint32_t seed = 1);

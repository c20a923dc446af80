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

// `size` bytes of a fixed pseudo-random pattern.
std::string PatternBytes(std::size_t size, std::uint32_t seed = 1);

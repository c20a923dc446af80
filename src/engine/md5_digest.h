// MD5 (RFC 1321) in the reference structure, and the digest's one text form:
// 32 lowercase hexadecimal characters, digest byte 0 first, high nibble first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct Md5Context {
  std::uint32_t state[4];  // A, B, C, D
  std::uint32_t count[2];  // message length in bits mod 2^64, low word first
  std::uint8_t buffer[64]; // the current incomplete block
};

// The ways whole blocks are transformed: plain C++ on every CPU, or
// AVX-512VL instructions on XMM registers where the CPU has them and the OS
// has enabled their state. Both give the same digests.
enum class Md5Path { Portable, Avx512Vl };

// True when `path` runs on this CPU and OS; Portable always does.
bool Md5PathRuns(Md5Path path);

// The path Start uses: AVX-512VL where it runs, else portable. Chosen once.
Md5Path Md5FastestPath();

// One incremental digest, owned and used by one thread at a time.
struct Md5Digest {
  // Begins a fresh digest, discarding anything unfinished, on the fastest path.
  void Start();
  // The same on the given path, or on the portable one where it does not run.
  void Start(Md5Path path);
  // Adds bytes; whole 64-byte blocks are transformed straight from `bytes`.
  // Returns false, and does nothing, when the digest is not started.
  bool Add(const void* bytes, std::uint32_t length);
  // The digest text of everything added since Start, then wipes the context
  // and leaves the digest not started. Returns "" when it was not started.
  std::wstring Finish();

  bool started = false;
  Md5Context context{};
  // The block function of the path Start chose.
  void (*transform)(std::uint32_t state[4], const std::uint8_t* bytes, std::size_t blocks) = nullptr;
};

// The text form of 16 digest bytes.
std::wstring DigestTextOf(const std::uint8_t digest[16]);

// True for exactly 32 hexadecimal digits, in either case.
bool IsDigestText(const std::wstring& text);

// True when two texts are the same digest: equal apart from the case of ASCII
// letters. Hex digits mean the same in either case; anything else must match.
bool SameDigestText(const std::wstring& a, const std::wstring& b);

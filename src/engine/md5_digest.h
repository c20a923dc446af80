// MD5 (RFC 1321) in the reference structure, and the digest's one text form:
// 32 lowercase hexadecimal characters, digest byte 0 first, high nibble first.
#pragma once

#include <cstdint>
#include <string>

struct Md5Context {
  std::uint32_t state[4];  // A, B, C, D
  std::uint32_t count[2];  // message length in bits mod 2^64, low word first
  std::uint8_t buffer[64]; // the current incomplete block
};

// One incremental digest, owned and used by one thread at a time.
struct Md5Digest {
  // Begins a fresh digest, discarding anything unfinished.
  void Start();
  // Adds bytes; whole 64-byte blocks are transformed straight from `bytes`.
  // Returns false, and does nothing, when the digest is not started.
  bool Add(const void* bytes, std::uint32_t length);
  // The digest text of everything added since Start, then wipes the context
  // and leaves the digest not started. Returns "" when it was not started.
  std::wstring Finish();

  bool started = false;
  Md5Context context{};
};

// The digest text of exactly `length` bytes; a negative length counts as 0.
std::wstring DigestOfBuffer(const void* bytes, std::int32_t length);

// The text form of 16 digest bytes.
std::wstring DigestTextOf(const std::uint8_t digest[16]);

// True for exactly 32 hexadecimal digits, in either case.
bool IsDigestText(const std::wstring& text);

// True when two texts are the same digest: equal apart from the case of ASCII
// letters. Hex digits mean the same in either case; anything else must match.
bool SameDigestText(const std::wstring& a, const std::wstring& b);

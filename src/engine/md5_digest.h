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

// A block function transforms `blocks` consecutive 64-byte blocks at `bytes`
// into `state`.
using Md5BlockFunction = void (*)(std::uint32_t state[4], const std::uint8_t* bytes, std::size_t blocks);

// The ways whole blocks are transformed: plain C++ on every CPU, or AVX-512VL
// instructions on XMM registers in two forms of the step. All give the same
// digests; which is fastest depends on the CPU.
enum class Md5Path { Portable, Avx512VlRotate, Avx512VlSplit };
constexpr int kMd5PathCount = 3;

// A short name for messages and benchmarks ("portable", "AVX-512VL, rotate").
const char* Md5PathName(Md5Path path);

// True when `path` runs on this CPU and OS; Portable always does.
bool Md5PathRuns(Md5Path path);

// The block function of `path`, or the portable one where it does not run.
Md5BlockFunction Md5PathBlocks(Md5Path path);

// Of the paths that run, the one with the least time in `seconds` (indexed
// by path), Portable on a tie; but the split form is kept while its time is
// within 4% of the least (the reasons are in md5_digest.cpp).
Md5Path Md5FastestOf(const double seconds[kMd5PathCount]);

// Each path's lower-quartile turn in `turns` (`rounds` rows, indexed by path;
// infinity where a path was not timed or is wrong), given in `seconds` when
// asked, and Md5FastestOf's choice of those among the paths timed, whatever
// this CPU runs.
Md5Path Md5FastestOfTurns(const double turns[][kMd5PathCount], int rounds, double seconds[kMd5PathCount]);

// Times the block functions of `blocks` (indexed by path; null for a path
// that does not run, whatever this CPU runs) on the same 8 KiB, in
// interleaved turns (48 rounds, about 1.5 ms on a current CPU; fewer when
// 4 ms have passed, but at least 8), and returns Md5FastestOfTurns's choice. A function
// whose result differs from the portable path's (blocks[0]) is never chosen.
// Gives each path's lower-quartile turn in `seconds` when asked (infinity
// for a path that does not run or differs).
Md5Path Md5TimedFastestOf(const Md5BlockFunction blocks[kMd5PathCount], double seconds[kMd5PathCount]);

// Md5TimedFastestOf the block functions of the paths that run here.
Md5Path Md5TimedFastestPath(double seconds[kMd5PathCount] = nullptr);

// The path Start uses: Md5TimedFastestPath, timed once at first use.
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
  Md5BlockFunction transform = nullptr;
};

// The text form of 16 digest bytes.
std::wstring DigestTextOf(const std::uint8_t digest[16]);

// True for exactly 32 hexadecimal digits, in either case.
bool IsDigestText(const std::wstring& text);

// True when two texts are the same digest: equal apart from the case of ASCII
// letters. Hex digits mean the same in either case; anything else must match.
bool SameDigestText(const std::wstring& a, const std::wstring& b);

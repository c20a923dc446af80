// The block functions behind Md5Digest's one buffering routine. Each
// transforms `blocks` consecutive 64-byte blocks at `bytes` into `state`.
#pragma once

#include <cstddef>
#include <cstdint>

using Md5BlockFunction = void (*)(std::uint32_t state[4], const std::uint8_t* bytes, std::size_t blocks);

// Plain C++, for every CPU.
void Md5BlocksPortable(std::uint32_t state[4], const std::uint8_t* bytes, std::size_t blocks);

// XMM registers and AVX-512VL instructions; call it only when Avx512VlRuns().
// Where it cannot be built (not x86-64, or no GCC-style inline assembly) it is
// the portable function under another name.
void Md5BlocksAvx512Vl(std::uint32_t state[4], const std::uint8_t* bytes, std::size_t blocks);

// True when this CPU has AVX-512F and AVX-512VL and the OS saves and restores
// their registers (XCR0 has the SSE, AVX, opmask and upper ZMM states on).
bool Avx512VlRuns();

// The block functions (Md5BlockFunction) behind Md5Digest's one buffering
// routine, and the CPU features they need.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/md5_digest.h"

// Plain C++, for every CPU.
void Md5BlocksPortable(std::uint32_t state[4], const std::uint8_t* bytes, std::size_t blocks);

// XMM registers and AVX-512VL instructions, in two forms of the step (see
// md5_blocks_avx512vl.cpp); call them only when Avx512VlRuns(). Where they
// cannot be built (not x86-64, or no GCC-style inline assembly) they are the
// portable function under other names.
void Md5BlocksAvx512VlRotate(std::uint32_t state[4], const std::uint8_t* bytes, std::size_t blocks);
void Md5BlocksAvx512VlSplit(std::uint32_t state[4], const std::uint8_t* bytes, std::size_t blocks);

// True when this CPU has AVX-512F and AVX-512VL and the OS saves and restores
// their registers (XCR0 has the SSE, AVX, opmask and upper ZMM states on).
bool Avx512VlRuns();

// The AVX-512VL block functions, in two forms of the same step. Each MD5
// step waits for the previous step's word b; what differs is what waits.
//   - vpternlogd computes any of F, G, H, I in one instruction. An add feeds
//     it in one cycle only through its destination operand, so a copy of b is
//     the destination.
//   - Rotate form: u = a + x + K is ready early; after b come ternlog, add,
//     vprold, add, in 7 operations a step.
//   - Split form: the rotate is split so that only shifts and adds wait for b:
//       rol(u + f, s) + b = ((u << s) + b + (f << s)) + ((u + f) >> (32 - s)),
//     since a left shift distributes over addition mod 2^32 and the two halves
//     of a rotate share no bit. After b: ternlog, add (or shift), shift (or
//     add), add, in 11 operations a step.
// Speed against OpenSSL's assembly MD5 on the same buffers, as measured:
//   - AMD Zen 4 (vprold 2 cycles): split 1.17, rotate 0.95.
//   - Intel Xeon with AVX-512 (dependent vprold, vpternlogd and vpaddd 1 cycle
//     each, so rotate's chain is 4 cycles): rotate 1.22 (as a prototype of
//     this form), split 1.06, portable 1.10; split's 11 operations a step
//     likely crowd the vector ports there.
//   - AMD Zen 5 (family 26): rotate 0.60, split 0.59, portable 1.05.
// So no form is best everywhere; Md5TimedFastestPath picks one at run time.
// Compilers reassociate the adds and fold the shifts back into a rotate, so
// each block loop is one inline-assembly block. It uses XMM registers only
// (MinGW's GCC does not realign the stack for wider spills); on Windows the
// compiler saves the callee-saved xmm6-xmm9 it clobbers. The state words and
// the message words sit in lane 0; the other lanes carry junk nobody reads.
#include "engine/md5_blocks.h"

#if (defined(__x86_64__) || defined(_M_X64)) && (defined(__GNUC__) || defined(__clang__))
#define SUMWICK_MD5_AVX512VL 1
#include <cpuid.h>
#endif

#ifdef SUMWICK_MD5_AVX512VL

namespace {

alignas(64) constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

}  // namespace

// vpternlogd immediates with b in the destination, c and d the sources
// (bit b*4 + c*2 + d of the immediate is the result).
#define MD5_TERNLOG_F "0xca"  // (b & c) | (~b & d)
#define MD5_TERNLOG_G "0xe4"  // (b & d) | (c & ~d)
#define MD5_TERNLOG_H "0x96"  // b ^ c ^ d
#define MD5_TERNLOG_I "0x39"  // c ^ (b | ~d)

// One step: a = b + rol(a + x + K[i] + FN(b, c, d), s). State words in xmm0-3
// (named by number), message word j in xmm(16 + j), scratch xmm4 (u) and xmm5
// (f). The block's last step adds the saved word b into its result early, off
// the chain; added after the step, it would cost the next block one more cycle.

// Rotate form.
#define MD5_ROTATE_STEP(FN, A, B, C, D, X, S, I)                             \
  "vpaddd %%xmm" #X ", %%xmm" #A ", %%xmm4\n\t"              /* u = a + x */  \
  "vmovdqa %%xmm" #B ", %%xmm5\n\t"                          /* f = b */      \
  "vpaddd " #I "*4(%[sine])%{1to4%}, %%xmm4, %%xmm4\n\t"     /* u += K */     \
  "vpternlogd $" MD5_TERNLOG_##FN ", %%xmm" #D ", %%xmm" #C ", %%xmm5\n\t"      \
  "vpaddd %%xmm5, %%xmm4, %%xmm4\n\t"                        /* u += f */     \
  "vprold $" #S ", %%xmm4, %%xmm4\n\t"                       /* u = rol(u) */ \
  "vpaddd %%xmm" #B ", %%xmm4, %%xmm" #A "\n\t"              /* a = b + u */
#define MD5_ROTATE_LAST_STEP(FN, A, B, C, D, X, S, I, SAVED)                 \
  "vpaddd %%xmm" #X ", %%xmm" #A ", %%xmm4\n\t"                                \
  "vmovdqa %%xmm" #B ", %%xmm5\n\t"                                            \
  "vpaddd " #I "*4(%[sine])%{1to4%}, %%xmm4, %%xmm4\n\t"                       \
  "vpternlogd $" MD5_TERNLOG_##FN ", %%xmm" #D ", %%xmm" #C ", %%xmm5\n\t"      \
  "vpaddd %%xmm" #SAVED ", %%xmm" #B ", %%xmm" #A "\n\t"     /* a = b + saved */ \
  "vpaddd %%xmm5, %%xmm4, %%xmm4\n\t"                                          \
  "vprold $" #S ", %%xmm4, %%xmm4\n\t"                                         \
  "vpaddd %%xmm4, %%xmm" #A ", %%xmm" #A "\n\t"

// Split form. The order is measured: on Zen 4, adding x to a before K, and
// (u << s) + b before u + f, runs 3-15 % faster than the other orders tried.
#define MD5_SPLIT_STEP(FN, A, B, C, D, X, S, I) MD5_SPLIT_STEP_ADDING(FN, A, B, C, D, X, S, I, "")
#define MD5_SPLIT_LAST_STEP(FN, A, B, C, D, X, S, I, SAVED) \
  MD5_SPLIT_STEP_ADDING(FN, A, B, C, D, X, S, I, "vpaddd %%xmm" #SAVED ", %%xmm" #A ", %%xmm" #A "\n\t")
#define MD5_SPLIT_STEP_ADDING(FN, A, B, C, D, X, S, I, EARLY_ADD)           \
  "vpaddd %%xmm" #X ", %%xmm" #A ", %%xmm4\n\t"              /* u = a + x */  \
  "vmovdqa %%xmm" #B ", %%xmm5\n\t"                          /* f = b */      \
  "vpaddd " #I "*4(%[sine])%{1to4%}, %%xmm4, %%xmm4\n\t"     /* u += K */     \
  "vpternlogd $" MD5_TERNLOG_##FN ", %%xmm" #D ", %%xmm" #C ", %%xmm5\n\t"      \
  "vpslld $" #S ", %%xmm4, %%xmm" #A "\n\t"                  /* a = u << s */ \
  "vpaddd %%xmm" #B ", %%xmm" #A ", %%xmm" #A "\n\t"         /* a += b */     \
  EARLY_ADD                                                                     \
  "vpaddd %%xmm5, %%xmm4, %%xmm4\n\t"                        /* u += f */     \
  "vpslld $" #S ", %%xmm5, %%xmm5\n\t"                       /* f <<= s */    \
  "vpsrld $32-" #S ", %%xmm4, %%xmm4\n\t"                    /* u >>= 32-s */ \
  "vpaddd %%xmm5, %%xmm" #A ", %%xmm" #A "\n\t"              /* a += f */     \
  "vpaddd %%xmm4, %%xmm" #A ", %%xmm" #A "\n\t"              /* a += u */

// The 64 steps of RFC 1321 in order: function, the words a b c d, message
// word register, shift, sine index.
#define MD5_BLOCK_STEPS(STEP, LAST)                                           \
  STEP(F, 0, 1, 2, 3, 16, 7, 0) STEP(F, 3, 0, 1, 2, 17, 12, 1)       \
  STEP(F, 2, 3, 0, 1, 18, 17, 2) STEP(F, 1, 2, 3, 0, 19, 22, 3)      \
  STEP(F, 0, 1, 2, 3, 20, 7, 4) STEP(F, 3, 0, 1, 2, 21, 12, 5)       \
  STEP(F, 2, 3, 0, 1, 22, 17, 6) STEP(F, 1, 2, 3, 0, 23, 22, 7)      \
  STEP(F, 0, 1, 2, 3, 24, 7, 8) STEP(F, 3, 0, 1, 2, 25, 12, 9)       \
  STEP(F, 2, 3, 0, 1, 26, 17, 10) STEP(F, 1, 2, 3, 0, 27, 22, 11)    \
  STEP(F, 0, 1, 2, 3, 28, 7, 12) STEP(F, 3, 0, 1, 2, 29, 12, 13)     \
  STEP(F, 2, 3, 0, 1, 30, 17, 14) STEP(F, 1, 2, 3, 0, 31, 22, 15)    \
  STEP(G, 0, 1, 2, 3, 17, 5, 16) STEP(G, 3, 0, 1, 2, 22, 9, 17)      \
  STEP(G, 2, 3, 0, 1, 27, 14, 18) STEP(G, 1, 2, 3, 0, 16, 20, 19)    \
  STEP(G, 0, 1, 2, 3, 21, 5, 20) STEP(G, 3, 0, 1, 2, 26, 9, 21)      \
  STEP(G, 2, 3, 0, 1, 31, 14, 22) STEP(G, 1, 2, 3, 0, 20, 20, 23)    \
  STEP(G, 0, 1, 2, 3, 25, 5, 24) STEP(G, 3, 0, 1, 2, 30, 9, 25)      \
  STEP(G, 2, 3, 0, 1, 19, 14, 26) STEP(G, 1, 2, 3, 0, 24, 20, 27)    \
  STEP(G, 0, 1, 2, 3, 29, 5, 28) STEP(G, 3, 0, 1, 2, 18, 9, 29)      \
  STEP(G, 2, 3, 0, 1, 23, 14, 30) STEP(G, 1, 2, 3, 0, 28, 20, 31)    \
  STEP(H, 0, 1, 2, 3, 21, 4, 32) STEP(H, 3, 0, 1, 2, 24, 11, 33)     \
  STEP(H, 2, 3, 0, 1, 27, 16, 34) STEP(H, 1, 2, 3, 0, 30, 23, 35)    \
  STEP(H, 0, 1, 2, 3, 17, 4, 36) STEP(H, 3, 0, 1, 2, 20, 11, 37)     \
  STEP(H, 2, 3, 0, 1, 23, 16, 38) STEP(H, 1, 2, 3, 0, 26, 23, 39)    \
  STEP(H, 0, 1, 2, 3, 29, 4, 40) STEP(H, 3, 0, 1, 2, 16, 11, 41)     \
  STEP(H, 2, 3, 0, 1, 19, 16, 42) STEP(H, 1, 2, 3, 0, 22, 23, 43)    \
  STEP(H, 0, 1, 2, 3, 25, 4, 44) STEP(H, 3, 0, 1, 2, 28, 11, 45)     \
  STEP(H, 2, 3, 0, 1, 31, 16, 46) STEP(H, 1, 2, 3, 0, 18, 23, 47)    \
  STEP(I, 0, 1, 2, 3, 16, 6, 48) STEP(I, 3, 0, 1, 2, 23, 10, 49)     \
  STEP(I, 2, 3, 0, 1, 30, 15, 50) STEP(I, 1, 2, 3, 0, 21, 21, 51)    \
  STEP(I, 0, 1, 2, 3, 28, 6, 52) STEP(I, 3, 0, 1, 2, 19, 10, 53)     \
  STEP(I, 2, 3, 0, 1, 26, 15, 54) STEP(I, 1, 2, 3, 0, 17, 21, 55)    \
  STEP(I, 0, 1, 2, 3, 24, 6, 56) STEP(I, 3, 0, 1, 2, 31, 10, 57)     \
  STEP(I, 2, 3, 0, 1, 22, 15, 58) STEP(I, 1, 2, 3, 0, 29, 21, 59)    \
  STEP(I, 0, 1, 2, 3, 20, 6, 60) STEP(I, 3, 0, 1, 2, 27, 10, 61)     \
  STEP(I, 2, 3, 0, 1, 18, 15, 62) LAST(I, 1, 2, 3, 0, 25, 21, 63, 7)

// The whole block loop around the steps, with the state saved in xmm6-xmm9
// and added back after each block (b's through the last step).
#define MD5_BLOCK_LOOP(STEP, LAST)                                              \
  if (blocks == 0) return;                                                      \
  __asm__ volatile(                                                             \
      "vmovd 0(%[state]), %%xmm0\n\t"                                           \
      "vmovd 4(%[state]), %%xmm1\n\t"                                           \
      "vmovd 8(%[state]), %%xmm2\n\t"                                           \
      "vmovd 12(%[state]), %%xmm3\n\t"                                          \
      "1:\n\t"                                                                  \
      "vmovd 0(%[bytes]), %%xmm16\n\t"                                          \
      "vmovd 4(%[bytes]), %%xmm17\n\t"                                          \
      "vmovd 8(%[bytes]), %%xmm18\n\t"                                          \
      "vmovd 12(%[bytes]), %%xmm19\n\t"                                         \
      "vmovd 16(%[bytes]), %%xmm20\n\t"                                         \
      "vmovd 20(%[bytes]), %%xmm21\n\t"                                         \
      "vmovd 24(%[bytes]), %%xmm22\n\t"                                         \
      "vmovd 28(%[bytes]), %%xmm23\n\t"                                         \
      "vmovd 32(%[bytes]), %%xmm24\n\t"                                         \
      "vmovd 36(%[bytes]), %%xmm25\n\t"                                         \
      "vmovd 40(%[bytes]), %%xmm26\n\t"                                         \
      "vmovd 44(%[bytes]), %%xmm27\n\t"                                         \
      "vmovd 48(%[bytes]), %%xmm28\n\t"                                         \
      "vmovd 52(%[bytes]), %%xmm29\n\t"                                         \
      "vmovd 56(%[bytes]), %%xmm30\n\t"                                         \
      "vmovd 60(%[bytes]), %%xmm31\n\t"                                         \
      "vmovdqa %%xmm0, %%xmm6\n\t"                                              \
      "vmovdqa %%xmm1, %%xmm7\n\t"                                              \
      "vmovdqa %%xmm2, %%xmm8\n\t"                                              \
      "vmovdqa %%xmm3, %%xmm9\n\t"                                              \
      MD5_BLOCK_STEPS(STEP, LAST)                                               \
      "vpaddd %%xmm6, %%xmm0, %%xmm0\n\t"                                       \
      "vpaddd %%xmm8, %%xmm2, %%xmm2\n\t"                                       \
      "vpaddd %%xmm9, %%xmm3, %%xmm3\n\t"                                       \
      "add $64, %[bytes]\n\t"                                                   \
      "dec %[blocks]\n\t"                                                       \
      "jnz 1b\n\t"                                                              \
      "vmovd %%xmm0, 0(%[state])\n\t"                                           \
      "vmovd %%xmm1, 4(%[state])\n\t"                                           \
      "vmovd %%xmm2, 8(%[state])\n\t"                                           \
      "vmovd %%xmm3, 12(%[state])\n\t"                                          \
      : [bytes] "+r"(bytes), [blocks] "+r"(blocks)                               \
      : [state] "r"(state), [sine] "r"(kSine)                                    \
      : "cc", "memory", "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6",  \
        "xmm7", "xmm8", "xmm9", "xmm16", "xmm17", "xmm18", "xmm19", "xmm20",     \
        "xmm21", "xmm22", "xmm23", "xmm24", "xmm25", "xmm26", "xmm27", "xmm28",  \
        "xmm29", "xmm30", "xmm31")

__attribute__((target("avx512f,avx512vl"))) void Md5BlocksAvx512VlRotate(std::uint32_t state[4],
                                                                          const std::uint8_t* bytes,
                                                                          std::size_t blocks) {
  MD5_BLOCK_LOOP(MD5_ROTATE_STEP, MD5_ROTATE_LAST_STEP);
}

__attribute__((target("avx512f,avx512vl"))) void Md5BlocksAvx512VlSplit(std::uint32_t state[4],
                                                                         const std::uint8_t* bytes,
                                                                         std::size_t blocks) {
  MD5_BLOCK_LOOP(MD5_SPLIT_STEP, MD5_SPLIT_LAST_STEP);
}

#undef MD5_ROTATE_STEP
#undef MD5_ROTATE_LAST_STEP
#undef MD5_SPLIT_STEP
#undef MD5_SPLIT_LAST_STEP
#undef MD5_SPLIT_STEP_ADDING
#undef MD5_BLOCK_STEPS
#undef MD5_BLOCK_LOOP

bool Avx512VlRuns() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  if (!(ecx & bit_OSXSAVE)) return false;  // XGETBV itself would fault
  unsigned xcr0_low = 0, xcr0_high = 0;
  __asm__("xgetbv" : "=a"(xcr0_low), "=d"(xcr0_high) : "c"(0));
  // SSE, AVX (upper YMM), opmask, upper ZMM0-15 and ZMM16-31 states.
  constexpr unsigned kAvx512State = 0x02 | 0x04 | 0x20 | 0x40 | 0x80;
  if ((xcr0_low & kAvx512State) != kAvx512State) return false;
  if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
  return (ebx & bit_AVX512F) && (ebx & bit_AVX512VL);
}

#else

void Md5BlocksAvx512VlRotate(std::uint32_t state[4], const std::uint8_t* bytes, std::size_t blocks) {
  Md5BlocksPortable(state, bytes, blocks);
}

void Md5BlocksAvx512VlSplit(std::uint32_t state[4], const std::uint8_t* bytes, std::size_t blocks) {
  Md5BlocksPortable(state, bytes, blocks);
}

bool Avx512VlRuns() { return false; }

#endif

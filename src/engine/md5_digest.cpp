#include "engine/md5_digest.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

#include "engine/md5_blocks.h"
#include "os/ascii_case.h"
#include "os/hex_digits.h"

namespace {

constexpr std::uint32_t kInitialState[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

inline std::uint32_t LoadLittle32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

inline void StoreLittle32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

inline std::uint32_t RotateLeft(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// Keeps a value as computed: clang would otherwise fold the early adds into
// the ones after the round function, putting them back on the chain.
#if defined(__GNUC__) || defined(__clang__)
#define MD5_KEEP(v) __asm__("" : "+r"(v))
#else
#define MD5_KEEP(v) (void)0
#endif

// The four rounds of RFC 1321. The message word and constant are added first,
// so only the round function waits for b, the word finished one step earlier.
// F and I take one fewer operation than the RFC's forms; G's two halves never
// share a set bit, so they are added separately and only the second needs b.
#define MD5_F(a, b, c, d, x, s, t)  \
  a += (x) + (t);                   \
  MD5_KEEP(a);                      \
  a += (((c) ^ (d)) & (b)) ^ (d);   \
  a = RotateLeft(a, s) + (b)
#define MD5_G(a, b, c, d, x, s, t)  \
  a += (x) + (t) + (~(d) & (c));    \
  MD5_KEEP(a);                      \
  a += (d) & (b);                   \
  a = RotateLeft(a, s) + (b)
#define MD5_H(a, b, c, d, x, s, t)  \
  a += (x) + (t);                   \
  MD5_KEEP(a);                      \
  a += (b) ^ ((c) ^ (d));           \
  a = RotateLeft(a, s) + (b)
#define MD5_I(a, b, c, d, x, s, t)  \
  a += (x) + (t);                   \
  MD5_KEEP(a);                      \
  a += (c) ^ ((b) | ~(d));          \
  a = RotateLeft(a, s) + (b)

}  // namespace

void Md5BlocksPortable(std::uint32_t state[4], const std::uint8_t* p, std::size_t blocks) {
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (; blocks > 0; --blocks, p += 64) {
    const std::uint32_t x0 = LoadLittle32(p), x1 = LoadLittle32(p + 4), x2 = LoadLittle32(p + 8),
                        x3 = LoadLittle32(p + 12), x4 = LoadLittle32(p + 16), x5 = LoadLittle32(p + 20),
                        x6 = LoadLittle32(p + 24), x7 = LoadLittle32(p + 28), x8 = LoadLittle32(p + 32),
                        x9 = LoadLittle32(p + 36), x10 = LoadLittle32(p + 40), x11 = LoadLittle32(p + 44),
                        x12 = LoadLittle32(p + 48), x13 = LoadLittle32(p + 52), x14 = LoadLittle32(p + 56),
                        x15 = LoadLittle32(p + 60);
    const std::uint32_t aa = a, bb = b, cc = c, dd = d;

    MD5_F(a, b, c, d, x0, 7, 0xd76aa478);
    MD5_F(d, a, b, c, x1, 12, 0xe8c7b756);
    MD5_F(c, d, a, b, x2, 17, 0x242070db);
    MD5_F(b, c, d, a, x3, 22, 0xc1bdceee);
    MD5_F(a, b, c, d, x4, 7, 0xf57c0faf);
    MD5_F(d, a, b, c, x5, 12, 0x4787c62a);
    MD5_F(c, d, a, b, x6, 17, 0xa8304613);
    MD5_F(b, c, d, a, x7, 22, 0xfd469501);
    MD5_F(a, b, c, d, x8, 7, 0x698098d8);
    MD5_F(d, a, b, c, x9, 12, 0x8b44f7af);
    MD5_F(c, d, a, b, x10, 17, 0xffff5bb1);
    MD5_F(b, c, d, a, x11, 22, 0x895cd7be);
    MD5_F(a, b, c, d, x12, 7, 0x6b901122);
    MD5_F(d, a, b, c, x13, 12, 0xfd987193);
    MD5_F(c, d, a, b, x14, 17, 0xa679438e);
    MD5_F(b, c, d, a, x15, 22, 0x49b40821);

    MD5_G(a, b, c, d, x1, 5, 0xf61e2562);
    MD5_G(d, a, b, c, x6, 9, 0xc040b340);
    MD5_G(c, d, a, b, x11, 14, 0x265e5a51);
    MD5_G(b, c, d, a, x0, 20, 0xe9b6c7aa);
    MD5_G(a, b, c, d, x5, 5, 0xd62f105d);
    MD5_G(d, a, b, c, x10, 9, 0x02441453);
    MD5_G(c, d, a, b, x15, 14, 0xd8a1e681);
    MD5_G(b, c, d, a, x4, 20, 0xe7d3fbc8);
    MD5_G(a, b, c, d, x9, 5, 0x21e1cde6);
    MD5_G(d, a, b, c, x14, 9, 0xc33707d6);
    MD5_G(c, d, a, b, x3, 14, 0xf4d50d87);
    MD5_G(b, c, d, a, x8, 20, 0x455a14ed);
    MD5_G(a, b, c, d, x13, 5, 0xa9e3e905);
    MD5_G(d, a, b, c, x2, 9, 0xfcefa3f8);
    MD5_G(c, d, a, b, x7, 14, 0x676f02d9);
    MD5_G(b, c, d, a, x12, 20, 0x8d2a4c8a);

    MD5_H(a, b, c, d, x5, 4, 0xfffa3942);
    MD5_H(d, a, b, c, x8, 11, 0x8771f681);
    MD5_H(c, d, a, b, x11, 16, 0x6d9d6122);
    MD5_H(b, c, d, a, x14, 23, 0xfde5380c);
    MD5_H(a, b, c, d, x1, 4, 0xa4beea44);
    MD5_H(d, a, b, c, x4, 11, 0x4bdecfa9);
    MD5_H(c, d, a, b, x7, 16, 0xf6bb4b60);
    MD5_H(b, c, d, a, x10, 23, 0xbebfbc70);
    MD5_H(a, b, c, d, x13, 4, 0x289b7ec6);
    MD5_H(d, a, b, c, x0, 11, 0xeaa127fa);
    MD5_H(c, d, a, b, x3, 16, 0xd4ef3085);
    MD5_H(b, c, d, a, x6, 23, 0x04881d05);
    MD5_H(a, b, c, d, x9, 4, 0xd9d4d039);
    MD5_H(d, a, b, c, x12, 11, 0xe6db99e5);
    MD5_H(c, d, a, b, x15, 16, 0x1fa27cf8);
    MD5_H(b, c, d, a, x2, 23, 0xc4ac5665);

    MD5_I(a, b, c, d, x0, 6, 0xf4292244);
    MD5_I(d, a, b, c, x7, 10, 0x432aff97);
    MD5_I(c, d, a, b, x14, 15, 0xab9423a7);
    MD5_I(b, c, d, a, x5, 21, 0xfc93a039);
    MD5_I(a, b, c, d, x12, 6, 0x655b59c3);
    MD5_I(d, a, b, c, x3, 10, 0x8f0ccc92);
    MD5_I(c, d, a, b, x10, 15, 0xffeff47d);
    MD5_I(b, c, d, a, x1, 21, 0x85845dd1);
    MD5_I(a, b, c, d, x8, 6, 0x6fa87e4f);
    MD5_I(d, a, b, c, x15, 10, 0xfe2ce6e0);
    MD5_I(c, d, a, b, x6, 15, 0xa3014314);
    MD5_I(b, c, d, a, x13, 21, 0x4e0811a1);
    MD5_I(a, b, c, d, x4, 6, 0xf7537e82);
    MD5_I(d, a, b, c, x11, 10, 0xbd3af235);
    MD5_I(c, d, a, b, x2, 15, 0x2ad7d2bb);
    MD5_I(b, c, d, a, x9, 21, 0xeb86d391);

    a += aa;
    b += bb;
    c += cc;
    d += dd;
  }
  state[0] = a;
  state[1] = b;
  state[2] = c;
  state[3] = d;
}

#undef MD5_F
#undef MD5_G
#undef MD5_H
#undef MD5_I
#undef MD5_KEEP

namespace {

constexpr std::uint8_t kPadding[64] = {0x80};

// The one buffering routine, whatever the path: whole blocks go to the block
// function straight from the input, the rest waits in the context's buffer.
void Update(Md5BlockFunction transform, Md5Context& context, const std::uint8_t* input, std::uint32_t length) {
  std::uint32_t fill = (context.count[0] >> 3) & 0x3F;
  const std::uint32_t low_bits = length << 3;
  context.count[0] += low_bits;
  if (context.count[0] < low_bits) ++context.count[1];
  context.count[1] += length >> 29;

  std::uint32_t i = 0;
  const std::uint32_t room = 64 - fill;
  if (length >= room) {
    std::memcpy(&context.buffer[fill], input, room);
    transform(context.state, context.buffer, 1);
    i = room;
    const std::uint32_t whole = (length - i) / 64;
    if (whole > 0) transform(context.state, input + i, whole);
    i += whole * 64;
    fill = 0;
  }
  if (length > i) std::memcpy(&context.buffer[fill], input + i, length - i);
}

}  // namespace

const char* Md5PathName(Md5Path path) {
  switch (path) {
    case Md5Path::Portable: return "portable";
    case Md5Path::Avx512VlRotate: return "AVX-512VL, rotate";
    case Md5Path::Avx512VlSplit: return "AVX-512VL, split rotate";
  }
  return "?";
}

bool Md5PathRuns(Md5Path path) {
  static const bool avx512vl = Avx512VlRuns();
  switch (path) {
    case Md5Path::Portable: return true;
    case Md5Path::Avx512VlRotate:
    case Md5Path::Avx512VlSplit: return avx512vl;
  }
  return false;
}

Md5BlockFunction Md5PathBlocks(Md5Path path) {
  if (!Md5PathRuns(path)) return Md5BlocksPortable;
  switch (path) {
    case Md5Path::Portable: return Md5BlocksPortable;
    case Md5Path::Avx512VlRotate: return Md5BlocksAvx512VlRotate;
    case Md5Path::Avx512VlSplit: return Md5BlocksAvx512VlSplit;
  }
  return Md5BlocksPortable;
}

namespace {

// Why the choice comes out the same at every start on a given CPU:
//   - Each form is timed in many short turns (8 KiB, about 10 us), the forms
//     taking turns in an order that rotates each round, so a slow spell of
//     the machine (an interrupt, another program on the core or its sibling,
//     a clock step) falls on all forms alike and spoils few turns of each.
//   - A form's figure is its turn a quarter of the way up from the least:
//     near what the form takes when the machine leaves it alone, as the
//     least turn is, but one wild reading, however fast, moves it only to
//     the next turn, and it holds until three turns in four are slowed.
//   - Forms within kSplitMargin of each other count as equally fast, and
//     then the split form is kept. Forms that close would flip on noise
//     alone, and flipping buys at most the margin. Of the CPUs measured (see
//     md5_blocks_avx512vl.cpp), split is the fastest over long runs where
//     the forms come closest (Zen 4: about 10% ahead of portable over
//     64 MiB), and where another form wins it wins by far more than the
//     margin (rotate on Intel, 15%; portable on Zen 5, over 70%).
// The bound on rounds and time keeps the cost to a few milliseconds, which
// the window thread can bear when its first digest starts there.
constexpr double kSplitMargin = 0.04;
constexpr int kKeptPath = static_cast<int>(Md5Path::Avx512VlSplit);

constexpr std::size_t kTimedBlocks = 128;  // 8 KiB a turn
constexpr int kMostRounds = 48;
constexpr int kLeastRounds = 8;
constexpr double kTimingBudgetSeconds = 0.004;

// The same bytes for every form and every call, read-only so that threads
// may time at once, and aligned so that no start times them differently
// placed.
struct TimedBytes {
  alignas(64) std::uint8_t bytes[kTimedBlocks * 64];
};
TimedBytes MakeTimedBytes() {
  TimedBytes timed;
  for (std::size_t k = 0; k < sizeof timed.bytes; ++k) timed.bytes[k] = static_cast<std::uint8_t>(k * 7 + 3);
  return timed;
}

// The ((rounds - 1) / 4)th least of path k's turns (0 is the least); counted
// rather than sorted, so nothing is copied or allocated.
double QuartileTurn(const double turns[][kMd5PathCount], int rounds, int k) {
  const int rank = (rounds - 1) / 4;
  for (int i = 0; i < rounds; ++i) {
    int less = 0, equal = 0;
    for (int j = 0; j < rounds; ++j) {
      if (turns[j][k] < turns[i][k]) ++less;
      else if (turns[j][k] == turns[i][k]) ++equal;
    }
    if (less <= rank && rank < less + equal) return turns[i][k];
  }
  return std::numeric_limits<double>::infinity();  // no turns, or NaN among them
}

// Md5FastestOf's rule; an infinite time is a path not to be chosen.
Md5Path ChoiceOf(const double seconds[kMd5PathCount]) {
  int fastest = 0;
  for (int k = 1; k < kMd5PathCount; ++k)
    if (seconds[k] < seconds[fastest]) fastest = k;
  const double kept = seconds[kKeptPath];
  if (kept < std::numeric_limits<double>::infinity() && kept <= seconds[fastest] * (1.0 + kSplitMargin))
    return static_cast<Md5Path>(kKeptPath);
  return static_cast<Md5Path>(fastest);
}

}  // namespace

Md5Path Md5FastestOf(const double seconds[kMd5PathCount]) {
  double runs[kMd5PathCount];
  for (int k = 0; k < kMd5PathCount; ++k)
    runs[k] = k == 0 || Md5PathRuns(static_cast<Md5Path>(k)) ? seconds[k] : std::numeric_limits<double>::infinity();
  return ChoiceOf(runs);
}

Md5Path Md5FastestOfTurns(const double turns[][kMd5PathCount], int rounds, double seconds[kMd5PathCount]) {
  double quartile[kMd5PathCount];
  for (int k = 0; k < kMd5PathCount; ++k) quartile[k] = QuartileTurn(turns, rounds, k);
  if (seconds) std::copy(quartile, quartile + kMd5PathCount, seconds);
  return ChoiceOf(quartile);
}

Md5Path Md5TimedFastestOf(const Md5BlockFunction blocks[kMd5PathCount], double seconds[kMd5PathCount]) {
  constexpr double kNever = std::numeric_limits<double>::infinity();
  static const TimedBytes timed = MakeTimedBytes();
  double turns[kMostRounds][kMd5PathCount];
  // Each path carries its own state through every turn: the results are
  // compared below, so no turn's work can be dropped as dead.
  std::uint32_t state[kMd5PathCount][4];
  for (auto& s : state) std::copy(kInitialState, kInitialState + 4, s);
  const auto begin = std::chrono::steady_clock::now();
  int rounds = 0;
  // Round -1 warms the code and the caches and is not counted.
  for (int round = -1; round < kMostRounds; ++round) {
    for (int j = 0; j < kMd5PathCount; ++j) {
      const int k = (round + 1 + j) % kMd5PathCount;
      double taken = kNever;
      if (blocks[k]) {
        const auto start = std::chrono::steady_clock::now();
        blocks[k](state[k], timed.bytes, kTimedBlocks);
        taken = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      }
      if (round >= 0) turns[round][k] = taken;
    }
    rounds = round + 1;
    if (rounds >= kLeastRounds &&
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count() > kTimingBudgetSeconds)
      break;
  }
  // A path whose result is not the portable one's is wrong here, however fast.
  for (int k = 1; k < kMd5PathCount; ++k)
    if (!std::equal(state[k], state[k] + 4, state[0]))
      for (int round = 0; round < rounds; ++round) turns[round][k] = kNever;
  return Md5FastestOfTurns(turns, rounds, seconds);
}

Md5Path Md5TimedFastestPath(double seconds[kMd5PathCount]) {
  Md5BlockFunction blocks[kMd5PathCount];
  for (int k = 0; k < kMd5PathCount; ++k)
    blocks[k] = Md5PathRuns(static_cast<Md5Path>(k)) ? Md5PathBlocks(static_cast<Md5Path>(k)) : nullptr;
  return Md5TimedFastestOf(blocks, seconds);
}

Md5Path Md5FastestPath() {
  static const Md5Path fastest = Md5TimedFastestPath();
  return fastest;
}

void Md5Digest::Start() { Start(Md5FastestPath()); }

void Md5Digest::Start(Md5Path path) {
  transform = Md5PathBlocks(path);
  std::copy(kInitialState, kInitialState + 4, context.state);
  context.count[0] = context.count[1] = 0;
  std::memset(context.buffer, 0, sizeof context.buffer);
  started = true;
}

bool Md5Digest::Add(const void* bytes, std::uint32_t length) {
  if (!started) return false;
  if (length > 0) Update(transform, context, static_cast<const std::uint8_t*>(bytes), length);
  return true;
}

std::wstring Md5Digest::Finish() {
  if (!started) return {};
  std::uint8_t bits[8];
  StoreLittle32(bits, context.count[0]);
  StoreLittle32(bits + 4, context.count[1]);
  const std::uint32_t fill = (context.count[0] >> 3) & 0x3F;
  const std::uint32_t pad_length = fill < 56 ? 56 - fill : 120 - fill;
  Update(transform, context, kPadding, pad_length);
  Update(transform, context, bits, 8);

  std::uint8_t digest[16];
  for (int k = 0; k < 4; ++k) StoreLittle32(digest + 4 * k, context.state[k]);
  // Leave nothing of the message behind in the object.
  volatile std::uint8_t* wipe = reinterpret_cast<volatile std::uint8_t*>(&context);
  for (std::size_t k = 0; k < sizeof context; ++k) wipe[k] = 0;
  started = false;
  return DigestTextOf(digest);
}

std::wstring DigestTextOf(const std::uint8_t digest[16]) {
  std::wstring text(32, L'0');
  os::BytesToHexDigits(digest, 16, &text[0]);
  return text;
}

bool IsDigestText(const std::wstring& text) {
  std::uint8_t digest[16];
  return os::HexDigitsToBytes(text, digest, 16);
}

bool SameDigestText(const std::wstring& a, const std::wstring& b) { return os::EqualIgnoringAsciiCase(a, b); }

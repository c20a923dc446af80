#include "engine/md5_digest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "engine/md5_blocks.h"
#include "engine_test_support.h"

// Names the path in gtest's messages.
void PrintTo(Md5Path path, std::ostream* out) { *out << Md5PathName(path); }

namespace {

struct Vector {
  const char* source;
  std::string input;
  const wchar_t* digest;
};

std::string Repeated(const std::string& piece, int times) {
  std::string out;
  for (int k = 0; k < times; ++k) out += piece;
  return out;
}

std::string ArithmeticPattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  return bytes;
}

// RFC 1321's test suite, then lengths around the padding boundary and inputs
// that cross many blocks (digests from an independent MD5 implementation).
const std::vector<Vector>& Vectors() {
  static const std::vector<Vector> vectors = {
      {"RFC 1321", "", L"d41d8cd98f00b204e9800998ecf8427e"},
      {"RFC 1321", "a", L"0cc175b9c0f1b6a831c399e269772661"},
      {"RFC 1321", "abc", L"900150983cd24fb0d6963f7d28e17f72"},
      {"RFC 1321", "message digest", L"f96b697d7cb7938d525a2f31aaf161d0"},
      {"RFC 1321", "abcdefghijklmnopqrstuvwxyz", L"c3fcd3d76192e4007dfb496cca67e13b"},
      {"RFC 1321", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       L"d174ab98d277d9f5a5611c2c9f419d9f"},
      {"RFC 1321", Repeated("1234567890", 8), L"57edf4a22be3c955ac49da2e2107b67a"},
      {"pad 56 - fill", std::string(55, 'a'), L"ef1772b6dff9a122358552954ad0df65"},
      {"pad 120 - fill", std::string(56, 'a'), L"3b0c8ac703f828b04c6c197006d17218"},
      {"pad 120 - fill", std::string(63, 'a'), L"b06521f39153d618550606be297466d5"},
      {"whole block", std::string(64, 'a'), L"014842d480b571495a4a0363793f7367"},
      {"block + 1", std::string(65, 'a'), L"c743a45e0d2e6a95cb859adae0248435"},
      {"two blocks - 1", std::string(127, 'a'), L"020406e1d05cdc2aa287641f7ae2cc39"},
      {"two blocks", std::string(128, 'a'), L"e510683b3f5ffe4093d021808bc6ff70"},
      {"a million a", std::string(1000000, 'a'), L"7707d6ae4e027c70eea2a935c2296f21"},
      {"40 MiB + 13", ArithmeticPattern(40 * 1024 * 1024 + 13), L"e3822e69a028743e237e6aad3aa0b8ca"},
  };
  return vectors;
}

// Each block path in turn, whatever the CPU; a path this CPU or OS cannot run
// skips its tests with a message.
class Md5PathTest : public testing::TestWithParam<Md5Path> {
 protected:
  void SetUp() override {
    if (!Md5PathRuns(GetParam()))
      GTEST_SKIP() << "this CPU or its OS lacks AVX-512VL; the " << Md5PathName(GetParam()) << " path is not tested here";
  }
};

std::string TestNameOf(Md5Path path) {
  switch (path) {
    case Md5Path::Portable: return "Portable";
    case Md5Path::Avx512VlRotate: return "Avx512VlRotate";
    case Md5Path::Avx512VlSplit: return "Avx512VlSplit";
  }
  return "Unknown";
}

INSTANTIATE_TEST_SUITE_P(Paths, Md5PathTest,
                         testing::Values(Md5Path::Portable, Md5Path::Avx512VlRotate, Md5Path::Avx512VlSplit),
                         [](const testing::TestParamInfo<Md5Path>& info) { return TestNameOf(info.param); });

std::wstring OnPath(Md5Path path, const void* bytes, std::size_t length) {
  Md5Digest digest;
  digest.Start(path);
  digest.Add(bytes, static_cast<std::uint32_t>(length));
  return digest.Finish();
}

std::wstring InPieces(Md5Path path, const std::string& input, std::size_t piece) {
  Md5Digest digest;
  digest.Start(path);
  for (std::size_t at = 0; at < input.size(); at += piece) {
    const std::size_t n = std::min(piece, input.size() - at);
    EXPECT_TRUE(digest.Add(input.data() + at, static_cast<std::uint32_t>(n)));
    EXPECT_TRUE(digest.Add(input.data(), 0));  // empty pieces change nothing
  }
  return digest.Finish();
}

TEST_P(Md5PathTest, KnownAnswersFedEveryWay) {
  for (const Vector& v : Vectors()) {
    SCOPED_TRACE(std::string(v.source) + ", length " + std::to_string(v.input.size()));
    EXPECT_EQ(OnPath(GetParam(), v.input.data(), v.input.size()), v.digest);
    // Piece sizes that start, fill and overrun the block buffer.
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{63}, std::size_t{64}, std::size_t{65},
                              std::size_t{1000}, std::size_t{16777216}}) {
      if (piece == 1 && v.input.size() > 100000) continue;  // bytewise adds little beyond this
      SCOPED_TRACE("pieces of " + std::to_string(piece));
      EXPECT_EQ(InPieces(GetParam(), v.input, piece), v.digest);
    }
    // From a buffer that does not start on a word boundary.
    std::vector<char> shifted(v.input.size() + 3);
    if (!v.input.empty()) std::memcpy(shifted.data() + 3, v.input.data(), v.input.size());
    EXPECT_EQ(OnPath(GetParam(), shifted.data() + 3, v.input.size()), v.digest);
  }
}

TEST_P(Md5PathTest, RandomPiecesGiveTheWholeDigest) {
  const std::string input = ArithmeticPattern(300000);
  const std::wstring whole = OnPath(Md5Path::Portable, input.data(), input.size());
  std::uint32_t x = 12345;  // xorshift: the same pieces every run
  for (int round = 0; round < 20; ++round) {
    Md5Digest digest;
    digest.Start(GetParam());
    for (std::size_t at = 0; at < input.size();) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      // Mostly under a block or a few blocks, now and then many.
      const std::size_t limit = x % 8 == 0 ? 20000 : x % 2 ? 200 : 70;
      const std::size_t n = std::min<std::size_t>((x >> 8) % (limit + 1), input.size() - at);
      digest.Add(input.data() + at, static_cast<std::uint32_t>(n));
      at += n;
    }
    EXPECT_EQ(digest.Finish(), whole) << "round " << round;
  }
}

// Each path installs its own block function, and only where it runs: the
// AVX-512VL functions would fault on a CPU without them.
TEST(Md5Digest, EachPathInstallsItsBlockFunction) {
  const bool avx512vl = Md5PathRuns(Md5Path::Avx512VlRotate);
  EXPECT_EQ(Md5PathRuns(Md5Path::Avx512VlSplit), avx512vl);
  EXPECT_TRUE(Md5PathRuns(Md5Path::Portable));
  const struct {
    Md5Path path;
    Md5BlockFunction function;
  } installs[] = {
      {Md5Path::Portable, Md5BlocksPortable},
      {Md5Path::Avx512VlRotate, avx512vl ? Md5BlocksAvx512VlRotate : Md5BlocksPortable},
      {Md5Path::Avx512VlSplit, avx512vl ? Md5BlocksAvx512VlSplit : Md5BlocksPortable},
  };
  for (const auto& install : installs) {
    Md5Digest digest;
    digest.Start(install.path);
    EXPECT_EQ(digest.transform, install.function) << Md5PathName(install.path);
  }
  Md5Digest digest;
  digest.Start();
  EXPECT_TRUE(Md5PathRuns(Md5FastestPath()));
  EXPECT_EQ(digest.transform, Md5PathBlocks(Md5FastestPath()));
  double seconds[kMd5PathCount];
  EXPECT_TRUE(Md5PathRuns(Md5TimedFastestPath(seconds)));
  for (int k = 0; k < kMd5PathCount; ++k) {
    SCOPED_TRACE(Md5PathName(static_cast<Md5Path>(k)));
    if (Md5PathRuns(static_cast<Md5Path>(k))) {
      EXPECT_GT(seconds[k], 0.0) << "timed";
      EXPECT_LT(seconds[k], 1.0);
    } else {
      EXPECT_EQ(seconds[k], std::numeric_limits<double>::infinity()) << "never run";
    }
  }
  const std::string input = ArithmeticPattern(1000);
  EXPECT_EQ(DigestOfBuffer(input.data(), 1000), OnPath(Md5Path::Portable, input.data(), 1000));
}

// The timed choice: the least time among the paths that run, the portable
// path on a tie, the split path while it is within the margin; a path this
// CPU cannot run is never chosen, however fast.
TEST(Md5Digest, TheFastestOfTheTimingsThatRun) {
  const bool avx512vl = Md5PathRuns(Md5Path::Avx512VlRotate);
  const double rotate_fastest[] = {2.0, 1.0, 1.5};
  const double split_fastest[] = {2.0, 1.5, 1.0};
  const double portable_fastest[] = {1.0, 1.5, 1.5};
  const double portable_and_rotate_tied[] = {1.0, 1.0, 1.5};
  const double all_tied[] = {1.0, 1.0, 1.0};
  const double split_close_behind[] = {1.0, 1.5, 1.03};
  const double split_clearly_behind[] = {1.0, 1.5, 1.05};
  const Md5Path split_here = avx512vl ? Md5Path::Avx512VlSplit : Md5Path::Portable;
  EXPECT_EQ(Md5FastestOf(rotate_fastest), avx512vl ? Md5Path::Avx512VlRotate : Md5Path::Portable);
  EXPECT_EQ(Md5FastestOf(split_fastest), split_here);
  EXPECT_EQ(Md5FastestOf(portable_fastest), Md5Path::Portable);
  EXPECT_EQ(Md5FastestOf(portable_and_rotate_tied), Md5Path::Portable);
  EXPECT_EQ(Md5FastestOf(all_tied), split_here);
  EXPECT_EQ(Md5FastestOf(split_close_behind), split_here);
  EXPECT_EQ(Md5FastestOf(split_clearly_behind), Md5Path::Portable);
}

// Turns as they come on a CPU whose forms are close (portable 10.2 us a turn,
// split 9.4): the choice of the lower-quartile turns stands through one wild
// turn either way and a slow spell over a whole round, and keeps split while
// it is a few percent behind.
TEST(Md5Digest, TheChoiceOfTurnsStandsThroughNoise) {
  const double never = std::numeric_limits<double>::infinity();
  double turns[9][kMd5PathCount];
  for (auto& turn : turns) {
    turn[0] = 10.2e-6;
    turn[1] = 11.1e-6;
    turn[2] = 9.4e-6;
  }
  double seconds[kMd5PathCount];
  EXPECT_EQ(Md5FastestOfTurns(turns, 9, seconds), Md5Path::Avx512VlSplit);
  EXPECT_EQ(seconds[0], 10.2e-6);
  turns[3][0] = 6.0e-6;   // a reading far too fast for portable
  turns[5][2] = 40.0e-6;  // an interrupt during a split turn
  for (double& turn : turns[7]) turn *= 1.5;  // a slow spell over one round
  EXPECT_EQ(Md5FastestOfTurns(turns, 9, seconds), Md5Path::Avx512VlSplit);
  EXPECT_EQ(seconds[2], 9.4e-6);
  // Split a few percent behind in most turns is kept; clearly behind it is not.
  for (int round = 0; round < 9; round += 2) turns[round][2] = 10.4e-6;
  EXPECT_EQ(Md5FastestOfTurns(turns, 9, seconds), Md5Path::Avx512VlSplit);
  for (auto& turn : turns) turn[2] = 11.0e-6;
  EXPECT_EQ(Md5FastestOfTurns(turns, 9, seconds), Md5Path::Portable);
  // A path not timed is never chosen, and no turns give no choice but portable.
  for (auto& turn : turns) turn[1] = turn[2] = never;
  EXPECT_EQ(Md5FastestOfTurns(turns, 9, seconds), Md5Path::Portable);
  EXPECT_EQ(seconds[2], never);
  EXPECT_EQ(Md5FastestOfTurns(turns, 0, nullptr), Md5Path::Portable);
}

// Which turn counts: the ((rounds - 1) / 4)th least of a path's turns, equal
// turns taking a rank each; split is kept up to exactly 4% behind; a form
// whose result was wrong (its turns infinite) is never chosen, even against
// the portable path alone.
TEST(Md5Digest, TheQuartileTurnAndTheMarginDecide) {
  const double never = std::numeric_limits<double>::infinity();
  double seconds[kMd5PathCount];
  double turns[5][kMd5PathCount] = {{5, 4, 9}, {5, 9, 9}, {5, 9, 9}, {5, 9, 9}, {5, 9, 9}};
  EXPECT_EQ(Md5FastestOfTurns(turns, 5, seconds), Md5Path::Portable) << "the second least of five";
  EXPECT_EQ(seconds[1], 9);
  EXPECT_EQ(Md5FastestOfTurns(turns, 4, seconds), Md5Path::Avx512VlRotate) << "the least of four";
  EXPECT_EQ(seconds[1], 4);
  turns[1][1] = 4;
  EXPECT_EQ(Md5FastestOfTurns(turns, 5, seconds), Md5Path::Avx512VlRotate) << "two equal least turns";
  const double exactly_behind[1][kMd5PathCount] = {{25.0, never, 26.0}};
  EXPECT_EQ(Md5FastestOfTurns(exactly_behind, 1, seconds), Md5Path::Avx512VlSplit);
  const double further_behind[1][kMd5PathCount] = {{25.0, never, 26.001}};
  EXPECT_EQ(Md5FastestOfTurns(further_behind, 1, seconds), Md5Path::Portable);
  const double wrong[2][kMd5PathCount] = {{1e9, never, never}, {1e9, never, never}};
  EXPECT_EQ(Md5FastestOfTurns(wrong, 2, seconds), Md5Path::Portable);
  EXPECT_EQ(seconds[2], never);
}

void ChangesNothing(std::uint32_t*, const std::uint8_t*, std::size_t) {}
// The portable function eleven times over, with its one result.
void SlowPortable(std::uint32_t state[4], const std::uint8_t* bytes, std::size_t blocks) {
  for (int k = 0; k < 10; ++k) {
    std::uint32_t spare[4] = {state[0], state[1], state[2], state[3]};
    Md5BlocksPortable(spare, bytes, blocks);
  }
  Md5BlocksPortable(state, bytes, blocks);
}

// The timing compares each path's result with the portable path's: a wrong
// function is never chosen however fast, a right one is when it is faster.
TEST(Md5Digest, TheTimedChoiceTakesNoPathThatDisagreesWithThePortableOne) {
  const double never = std::numeric_limits<double>::infinity();
  double seconds[kMd5PathCount];
  const Md5BlockFunction wrong_but_fast[] = {Md5BlocksPortable, ChangesNothing, nullptr};
  EXPECT_EQ(Md5TimedFastestOf(wrong_but_fast, seconds), Md5Path::Portable);
  EXPECT_EQ(seconds[1], never);
  EXPECT_EQ(seconds[2], never);
  // The functions handed in are the ones that run, whatever this CPU has.
  const Md5BlockFunction right_and_faster[] = {SlowPortable, Md5BlocksPortable, ChangesNothing};
  EXPECT_EQ(Md5TimedFastestOf(right_and_faster, seconds), Md5Path::Avx512VlRotate);
  EXPECT_LT(seconds[1], seconds[0]);
  EXPECT_EQ(seconds[2], never);
}

TEST(Md5Digest, AllPathsAgreeOnEveryLengthAtOddOffsets) {
  if (!Md5PathRuns(Md5Path::Avx512VlRotate))
    GTEST_SKIP() << "this CPU or its OS lacks AVX-512VL; only the portable path runs here";
  const std::string input = ArithmeticPattern(10000 + 16);
  for (const Md5Path path : {Md5Path::Avx512VlRotate, Md5Path::Avx512VlSplit}) {
    SCOPED_TRACE(Md5PathName(path));
    for (std::size_t length = 0; length <= 10000; ++length) {
      const char* at = input.data() + 1 + 2 * (length % 8);  // offsets 1, 3, ... 15
      ASSERT_EQ(OnPath(path, at, length), OnPath(Md5Path::Portable, at, length)) << "length " << length;
    }
  }
}

TEST(Md5Digest, CopiedContextContinuesIndependently) {
  const std::string input = Repeated("1234567890", 8);
  Md5Digest first;
  first.Start();
  first.Add(input.data(), 37);
  Md5Digest second = first;
  first.Add(input.data() + 37, static_cast<std::uint32_t>(input.size() - 37));
  second.Add(input.data() + 37, static_cast<std::uint32_t>(input.size() - 37));
  EXPECT_EQ(first.Finish(), L"57edf4a22be3c955ac49da2e2107b67a");
  EXPECT_EQ(second.Finish(), L"57edf4a22be3c955ac49da2e2107b67a");
}

// The 64-bit bit count, with the block function left out (it reads none of
// the bytes here): an add of nearly 4 GiB sets the high word by its length's
// top bits, and another carries into it from the low word.
TEST(Md5Digest, BitCountCarriesIntoItsHighWord) {
  const std::uint8_t bytes[64] = {};
  Md5Digest digest;
  digest.Start();
  digest.transform = [](std::uint32_t*, const std::uint8_t*, std::size_t) {};
  digest.Add(bytes, 0xFFFFFFC0u);  // whole blocks: only the first 64 bytes are copied
  EXPECT_EQ(digest.context.count[0], 0xFFFFFE00u);
  EXPECT_EQ(digest.context.count[1], 7u);
  digest.Add(bytes, 64);
  EXPECT_EQ(digest.context.count[0], 0u);
  EXPECT_EQ(digest.context.count[1], 8u);
}

TEST(Md5Digest, LifecycleRules) {
  Md5Digest digest;
  EXPECT_FALSE(digest.Add("abc", 3)) << "never started";
  EXPECT_EQ(digest.Finish(), L"");

  digest.Start();
  EXPECT_EQ(digest.Finish(), L"d41d8cd98f00b204e9800998ecf8427e") << "no Add at all";
  EXPECT_EQ(digest.Finish(), L"") << "second Finish";
  EXPECT_FALSE(digest.Add("abc", 3)) << "Add after Finish";

  digest.Start();
  digest.Add("junk", 4);
  digest.Start();  // begins again from nothing
  digest.Add("abc", 3);
  EXPECT_EQ(digest.Finish(), L"900150983cd24fb0d6963f7d28e17f72");
}

TEST(Md5Digest, FinishWipesTheContext) {
  Md5Digest digest;
  digest.Start();
  const std::string secret(100, 's');
  digest.Add(secret.data(), static_cast<std::uint32_t>(secret.size()));
  digest.Finish();
  const Md5Context zero{};
  EXPECT_EQ(std::memcmp(&digest.context, &zero, sizeof zero), 0);
  EXPECT_FALSE(digest.started);
}

TEST(DigestOfBuffer, NegativeLengthHashesNothing) {
  EXPECT_EQ(DigestOfBuffer("abc", -5), L"d41d8cd98f00b204e9800998ecf8427e");
}

TEST(DigestText, FormAndRecognition) {
  std::uint8_t bytes[16];
  for (int k = 0; k < 16; ++k) bytes[k] = static_cast<std::uint8_t>(k * 17 + 0x0A);
  EXPECT_EQ(DigestTextOf(bytes), L"0a1b2c3d4e5f708192a3b4c5d6e7f809");

  EXPECT_TRUE(IsDigestText(L"0123456789abcdef0123456789abcdef"));
  EXPECT_TRUE(IsDigestText(L"0123456789ABCDEF0123456789ABCDEF"));
  EXPECT_TRUE(IsDigestText(L"D41d8cd98f00b204e9800998ecf8427E"));
  EXPECT_FALSE(IsDigestText(L""));
  EXPECT_FALSE(IsDigestText(L"0123456789abcdef0123456789abcde"));    // 31
  EXPECT_FALSE(IsDigestText(L"0123456789abcdef0123456789abcdef0"));  // 33
  EXPECT_FALSE(IsDigestText(L"0123456789abcdeg0123456789abcdef"));
  EXPECT_FALSE(IsDigestText(L" 123456789abcdef0123456789abcdef"));
  EXPECT_FALSE(IsDigestText(L"-123456789abcdef0123456789abcdef"));
  // Characters next to the accepted ranges, and non-ASCII letters.
  EXPECT_FALSE(IsDigestText(L"/123456789abcdef0123456789abcdef"));
  EXPECT_FALSE(IsDigestText(L":123456789abcdef0123456789abcdef"));
  EXPECT_FALSE(IsDigestText(L"`123456789abcdef0123456789abcdef"));
  EXPECT_FALSE(IsDigestText(L"@123456789abcdef0123456789abcdef"));
  EXPECT_FALSE(IsDigestText(L"G123456789abcdef0123456789abcdef"));
  EXPECT_FALSE(IsDigestText(L"\u00e1123456789abcdef0123456789abcdef"));
  EXPECT_FALSE(IsDigestText(L"\uff41123456789abcdef0123456789abcdef"));
}

TEST(DigestText, SameDigestIgnoresOnlyLetterCase) {
  EXPECT_TRUE(SameDigestText(L"0123456789abcdef0123456789abcdef", L"0123456789ABCDEF0123456789abcdef"));
  EXPECT_TRUE(SameDigestText(L"", L""));
  EXPECT_FALSE(SameDigestText(L"0123456789abcdef0123456789abcdef", L"0123456789abcdef0123456789abcde"));
  EXPECT_FALSE(SameDigestText(L"0123456789abcdef0123456789abcdef", L"0123456789abcdef0123456789abcdeg"));
  EXPECT_FALSE(SameDigestText(L"a", L"\u00c1"));
}

}  // namespace

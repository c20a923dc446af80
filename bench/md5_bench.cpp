// Throughput of our MD5 (each block path this CPU runs) against OpenSSL's
// over the same 16 MiB buffers, and the time of the file digest job against
// md5sum over one 1 GiB file, each with its ratio. Each measure runs several
// interleaved rounds and keeps each side's best, so that noise from the
// shared machine hurts both sides alike; the ratio is what counts.
#include <openssl/evp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/file_digest_job.h"
#include "engine/md5_digest.h"
#include "os/codepage.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<std::uint8_t> Pattern(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  std::uint32_t x = 2463534242u;
  for (auto& b : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<std::uint8_t>(x);
  }
  return bytes;
}

std::string OpenSslHex(const unsigned char* digest) {
  char text[33];
  for (int k = 0; k < 16; ++k) std::snprintf(text + 2 * k, 3, "%02x", digest[k]);
  return text;
}

// The CPU's brand string with its family and model, as the OS shows them
// (a virtual machine's brand string may not name the core).
std::string CpuName() {
  std::ifstream in("/proc/cpuinfo");
  std::string name = "unknown CPU", family = "?", model = "?";
  for (std::string line; std::getline(in, line) && !line.empty();) {
    const std::size_t colon = line.find(": ");
    if (colon == std::string::npos) continue;
    const std::string value = line.substr(colon + 2);
    if (line.rfind("model name", 0) == 0) name = value;
    if (line.rfind("cpu family", 0) == 0) family = value;
    if (line.rfind("model\t", 0) == 0) model = value;
  }
  return name + " (family " + family + ", model " + model + ")";
}

// Each side hashes the same 16 MiB buffer in 1 MiB adds,
// round after round, and each add is timed: the best add of each side is the
// speed it has when nothing else wants the core, which a longer timed span on
// a busy shared machine rarely sees.
int BenchBuffers(Md5Path path, int rounds) {
  constexpr std::size_t kBuffer = 16 * 1024 * 1024;
  constexpr std::size_t kAdd = 1024 * 1024;
  const auto data = Pattern(kBuffer);
  double best_ours = 1e9, best_openssl = 1e9;
  std::string ours_text, openssl_text;
  for (int r = 0; r < rounds; ++r) {
    Md5Digest digest;
    digest.Start(path);
    for (std::size_t at = 0; at < kBuffer; at += kAdd) {
      const auto start = Clock::now();
      digest.Add(data.data() + at, kAdd);
      best_ours = std::min(best_ours, SecondsSince(start));
    }
    ours_text = os::WideToUtf8(digest.Finish());

    EVP_MD_CTX* context = EVP_MD_CTX_new();
    EVP_DigestInit_ex(context, EVP_md5(), nullptr);
    for (std::size_t at = 0; at < kBuffer; at += kAdd) {
      const auto start = Clock::now();
      EVP_DigestUpdate(context, data.data() + at, kAdd);
      best_openssl = std::min(best_openssl, SecondsSince(start));
    }
    unsigned char out[16];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context, out, &length);
    EVP_MD_CTX_free(context);
    openssl_text = OpenSslHex(out);
  }
  if (ours_text != openssl_text) {
    std::printf("MISMATCH (%s path): ours %s, OpenSSL %s\n", Md5PathName(path), ours_text.c_str(),
                openssl_text.c_str());
    return 1;
  }
  const double mb = kAdd / 1e6;
  std::printf("buffers, %-24s Md5Digest %4.0f MB/s, OpenSSL MD5 %4.0f MB/s (best 1 MiB add of %d), speed ratio %.3f%s\n",
              (std::string(Md5PathName(path)) + ":").c_str(), mb / best_ours, mb / best_openssl,
              rounds * static_cast<int>(kBuffer / kAdd), best_openssl / best_ours,
              path == Md5FastestPath() ? " (chosen here)" : "");
  return 0;
}

int BenchFile(const std::string& path, int rounds) {
  constexpr std::int64_t kSize = 1LL << 30;
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const auto chunk = Pattern(16 * 1024 * 1024);
    for (std::int64_t done = 0; done < kSize; done += chunk.size())
      out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
  }
  const std::wstring wide_path = os::Utf8ToWide(path);
  const std::string command = "md5sum '" + path + "'";
  double best_job = 1e9, best_md5sum = 1e9;
  std::string job_text, md5sum_text;
  FileDigestJob job;
  for (int r = 0; r < rounds; ++r) {
    auto start = Clock::now();
    std::wstring text;
    job.DigestFile(wide_path, kSize, nullptr, nullptr, &text);
    job_text = os::WideToUtf8(text);
    best_job = std::min(best_job, SecondsSince(start));

    start = Clock::now();
    FILE* pipe = popen(command.c_str(), "r");
    char line[256] = {};
    if (!pipe || !std::fgets(line, sizeof line, pipe)) return 1;
    pclose(pipe);
    md5sum_text.assign(line, 32);
    best_md5sum = std::min(best_md5sum, SecondsSince(start));
  }
  std::remove(path.c_str());
  if (job_text != md5sum_text) {
    std::printf("MISMATCH: job %s, md5sum %s\n", job_text.c_str(), md5sum_text.c_str());
    return 1;
  }
  std::printf("1 GiB file: FileDigestJob %.3f s (%.0f MB/s), md5sum %.3f s (%.0f MB/s) (best of %d), time ratio %.3f\n",
              best_job, kSize / 1e6 / best_job, best_md5sum, kSize / 1e6 / best_md5sum, rounds,
              best_job / best_md5sum);
  return 0;
}

}  // namespace

// Usage: md5_bench [scratch file path]
// Buffer ratios are speed (above 1: we are faster), the file ratio is time
// (below 1: we are faster).
int main(int argc, char** argv) {
  const std::string scratch = argc > 1 ? argv[1] : "md5_bench.scratch";
  const auto start = Clock::now();
  const Md5Path chosen = Md5FastestPath();
  std::printf("CPU: %s; chosen here: %s (timed in %.2f ms)\n", CpuName().c_str(), Md5PathName(chosen),
              SecondsSince(start) * 1e3);
  // The choice again, a few times: it should not waver on a quiet machine.
  std::string choices;
  for (int k = 0; k < 10; ++k) choices += std::string(k ? ", " : "") + Md5PathName(Md5TimedFastestPath());
  std::printf("timed again: %s\n", choices.c_str());
  double seconds[kMd5PathCount];
  Md5TimedFastestPath(seconds);
  for (int k = 0; k < kMd5PathCount; ++k)
    if (Md5PathRuns(static_cast<Md5Path>(k)))
      std::printf("  lower-quartile 8 KiB turn, %s: %.1f us\n", Md5PathName(static_cast<Md5Path>(k)),
                  seconds[k] * 1e6);
  for (int k = 0; k < kMd5PathCount; ++k) {
    const Md5Path path = static_cast<Md5Path>(k);
    if (!Md5PathRuns(path)) {
      std::printf("buffers, %s: does not run on this CPU\n", Md5PathName(path));
      continue;
    }
    if (int failed = BenchBuffers(path, 16)) return failed;
  }
  return BenchFile(scratch, 5);
}

// Throughput of our MD5 against OpenSSL's over the same 16 MiB buffers, and of
// the file digest job against md5sum over one 1 GiB file. Each measure runs
// several interleaved rounds and keeps each side's best, so that noise from
// the shared machine hurts both sides alike; the ratio is what counts.
#include <openssl/evp.h>

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

int BenchBuffers(int rounds) {
  constexpr std::size_t kBuffer = 16 * 1024 * 1024;
  constexpr int kBuffersPerRound = 16;  // 256 MiB a round
  const auto data = Pattern(kBuffer);
  double best_ours = 1e9, best_openssl = 1e9;
  std::string ours_text, openssl_text;
  for (int r = 0; r < rounds; ++r) {
    auto start = Clock::now();
    Md5Digest digest;
    digest.Start();
    for (int k = 0; k < kBuffersPerRound; ++k) digest.Add(data.data(), kBuffer);
    ours_text = os::WideToUtf8(digest.Finish());
    best_ours = std::min(best_ours, SecondsSince(start));

    start = Clock::now();
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    EVP_DigestInit_ex(context, EVP_md5(), nullptr);
    for (int k = 0; k < kBuffersPerRound; ++k) EVP_DigestUpdate(context, data.data(), kBuffer);
    unsigned char out[16];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context, out, &length);
    EVP_MD_CTX_free(context);
    openssl_text = OpenSslHex(out);
    best_openssl = std::min(best_openssl, SecondsSince(start));
  }
  if (ours_text != openssl_text) {
    std::printf("MISMATCH: ours %s, OpenSSL %s\n", ours_text.c_str(), openssl_text.c_str());
    return 1;
  }
  const double mb = kBuffer * double(kBuffersPerRound) / 1e6;
  std::printf("buffers: Md5Digest %.0f MB/s, OpenSSL MD5 %.0f MB/s, ratio %.3f (best of %d rounds of %.0f MB)\n",
              mb / best_ours, mb / best_openssl, best_openssl / best_ours, rounds, mb);
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
  std::printf("1 GiB file: FileDigestJob %.3f s (%.0f MB/s), md5sum %.3f s (%.0f MB/s), ratio %.3f (best of %d)\n",
              best_job, kSize / 1e6 / best_job, best_md5sum, kSize / 1e6 / best_md5sum, best_md5sum / best_job,
              rounds);
  return 0;
}

}  // namespace

// Usage: md5_bench [scratch file path]   (ratios above 1 mean we are faster)
int main(int argc, char** argv) {
  const std::string scratch = argc > 1 ? argv[1] : "md5_bench.scratch";
  if (int failed = BenchBuffers(7)) return failed;
  return BenchFile(scratch, 3);
}

// The folder walk and the checksum list's size queries with one request at a
// time and with several in flight, over the same folder: what listing ahead
// gains on a store that answers each request late (scripts/bench-gui.sh
// --share runs it on a slow share). Natively the OS layer's POSIX half lists
// folders with no lock of its own, as Windows does; under Wine every listing
// of a process waits for the one before.
//
//   walk_bench <folder> <checksum list>
#include <chrono>
#include <cstdio>
#include <string>

#include "formats/checksum_list_reader.h"
#include "os/codepage.h"
#include "os/ordered_walk.h"

namespace {

double SecondsOf(const std::function<std::size_t()>& run, std::size_t* count) {
  const auto start = std::chrono::steady_clock::now();
  *count = run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::size_t Walk(const std::wstring& folder, std::uint32_t in_flight) {
  std::size_t files = 0;
  os::WalkSettings settings;
  settings.into_folders = true;
  settings.in_flight = in_flight;
  os::WalkPaths({folder}, settings, [&files](std::vector<os::WalkedFile>& batch) {
    files += batch.size();
    return true;
  });
  return files;
}

std::size_t ReadList(const std::wstring& list, std::uint32_t in_flight) {
  std::size_t entries = 0;
  ListReading how;
  how.in_flight = in_flight;
  ReadAndResolveChecksumList(list, how, [](std::size_t) {}, [&entries](std::vector<ChecksumEntry>& batch) {
    entries += batch.size();
    return true;
  });
  return entries;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: walk_bench <folder> <checksum list>\n");
    return 2;
  }
  const std::wstring folder = os::Utf8ToWide(argv[1]);
  const std::wstring list = os::Utf8ToWide(argv[2]);
  for (std::uint32_t in_flight : {1u, 8u}) {
    std::size_t count = 0;
    const double walk = SecondsOf([&] { return Walk(folder, in_flight); }, &count);
    std::printf("native_walk_in_flight_%u_files=%zu\nnative_walk_in_flight_%u_seconds=%.3f\n", in_flight, count,
                in_flight, walk);
    const double read = SecondsOf([&] { return ReadList(list, in_flight); }, &count);
    std::printf("native_list_in_flight_%u_entries=%zu\nnative_list_in_flight_%u_seconds=%.3f\n", in_flight, count,
                in_flight, read);
    std::fflush(stdout);
  }
  return 0;
}

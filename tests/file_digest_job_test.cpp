#include "engine/file_digest_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "engine_test_support.h"
#include "test_files.h"

// The seams of the job that these tests set and look at.
struct FileDigestJobTestAccess {
  static FileDigestJob WithAllocator(const ChunkAllocator& allocate) { return FileDigestJob(allocate); }
  static void ReplaceReads(FileDigestJob& job, ChunkReader read) { job.chunks_.read_ = std::move(read); }
  static void DenyReaderThread(FileDigestJob& job) { job.chunks_.reader_unavailable_ = true; }

  static std::uint32_t ChunkSize(const FileDigestJob& job) { return job.chunks_.chunk_size_; }
  static const std::uint8_t* Buffer(const FileDigestJob& job) { return job.chunks_.buffer_.get(); }
  static bool HasReaderThread(const FileDigestJob& job) { return job.chunks_.read_ahead_ != nullptr; }
  static bool HasSecondBuffer(const FileDigestJob& job) { return job.chunks_.second_buffer_ != nullptr; }
  static bool DigestStarted(const FileDigestJob& job) { return job.digest_.started; }
  // Bytes of the read under way that the worker has hashed, asked from the
  // reader thread while the worker hashes.
  static std::uint32_t BytesHashedWhileReading(FileDigestJob& job) { return job.chunks_.BytesTakenFromReader(); }
};

namespace {

using Access = FileDigestJobTestAccess;

constexpr const wchar_t* kEmptyDigest = L"d41d8cd98f00b204e9800998ecf8427e";

struct JobRun {
  DigestOutcome outcome;
  std::wstring digest;
  std::vector<std::int32_t> reports;
};

JobRun DigestWithJob(FileDigestJob& job, const std::wstring& path, std::int64_t expected, StopToken* stop = nullptr) {
  JobRun run{};
  run.outcome = job.DigestFile(
      path, expected, [&](std::int32_t percent) { run.reports.push_back(percent); }, stop, &run.digest);
  return run;
}

// A run whose stop is requested at its first report, while that chunk is
// being reported: the next read completes, its bytes are not added.
JobRun StoppedAtFirstReport(FileDigestJob& job, const std::wstring& path, std::int64_t expected) {
  StopToken stop;
  JobRun run{};
  run.digest = L"stale";
  run.outcome = job.DigestFile(
      path, expected,
      [&](std::int32_t percent) {
        run.reports.push_back(percent);
        stop.requested.store(1);
      },
      &stop, &run.digest);
  return run;
}

// A job of 1 MiB chunks, read 64 KiB at a time, given at most `buffers`
// buffers: one reads in turn, two read ahead. Counts the 1 MiB asks in *asks.
FileDigestJob MebibyteChunkJob(int buffers = 2, std::shared_ptr<int> asks = std::make_shared<int>(0)) {
  const auto given = std::make_shared<int>(0);
  return Access::WithAllocator([buffers, given, asks](std::uint32_t size) {
    if (size > 1024 * 1024) return std::unique_ptr<std::uint8_t[]>();
    ++*asks;
    if (*given == buffers) return std::unique_ptr<std::uint8_t[]>();
    ++*given;
    return std::unique_ptr<std::uint8_t[]>(new std::uint8_t[size]());
  });
}

JobRun Digest(const std::wstring& path, std::int64_t expected, StopToken* stop = nullptr) {
  FileDigestJob job;
  return DigestWithJob(job, path, expected, stop);
}

TEST(FileDigestJob, BufferIsOneZeroedChunk) {
  FileDigestJob job;
  ASSERT_TRUE(job.HasBuffer());
  EXPECT_EQ(Access::ChunkSize(job), 16u * 1024 * 1024);
  EXPECT_EQ(Access::Buffer(job)[0], 0);
  EXPECT_EQ(Access::Buffer(job)[Access::ChunkSize(job) - 1], 0);
  // Zeroed by the source, whatever the allocator gave.
  FileDigestJob dirty = Access::WithAllocator([](std::uint32_t size) {
    std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size]);
    std::memset(bytes.get(), 0xAB, size);
    return bytes;
  });
  const std::uint8_t* buffer = Access::Buffer(dirty);
  EXPECT_EQ(std::count(buffer, buffer + Access::ChunkSize(dirty), 0), Access::ChunkSize(dirty));
}

TEST(FileDigestJob, ProgressAtChunkBoundaries) {
  ScratchFolder folder;
  const std::int64_t chunk = kChunkSize;

  JobRun empty = Digest(folder.Write(L"empty", ""), 0);
  EXPECT_EQ(empty.outcome, DigestOutcome::Digested);
  EXPECT_EQ(empty.digest, kEmptyDigest);
  EXPECT_TRUE(empty.reports.empty());

  JobRun one = Digest(folder.WriteSparse(L"one chunk", chunk), chunk);
  EXPECT_EQ(one.digest, L"2c7ab85a893283e98c931e9511add182");
  EXPECT_EQ(one.reports, (std::vector<std::int32_t>{100}));

  JobRun over = Digest(folder.WriteSparse(L"chunk and a byte", chunk + 1), chunk + 1);
  EXPECT_EQ(over.digest, L"cbcda39ca2893010c1d15c51bc633b24");
  EXPECT_EQ(over.reports, (std::vector<std::int32_t>{99, 100}));
}

TEST(FileDigestJob, MoreThanHundredChunksReportsNothingForTheFirst) {
  ScratchFolder folder;
  const std::int64_t size = 100LL * kChunkSize + 1;
  JobRun run = Digest(folder.WriteSparse(L"big", size), size);
  EXPECT_EQ(run.digest, L"4e66c1c45669aa9a4778accec39f17aa");
  ASSERT_FALSE(run.reports.empty());
  // Chunk 1 is 0.99 %, chunk 2 is 1.99 %: the first report is 1, and every
  // whole percent then appears once, in order, up to 100.
  std::vector<std::int32_t> expected;
  for (std::int32_t p = 1; p <= 100; ++p) expected.push_back(p);
  EXPECT_EQ(run.reports, expected);
}

TEST(FileDigestJob, ExpectedSizeOnlyScalesThePercent) {
  ScratchFolder folder;
  const std::string bytes = PatternBytes(3 * kChunkSize / 2);
  const std::wstring path = folder.Write(L"one and a half chunks", bytes);
  const std::wstring truth = DigestOfBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));

  JobRun smaller = Digest(path, kChunkSize);  // the file has grown since it was listed
  EXPECT_EQ(smaller.digest, truth);
  EXPECT_EQ(smaller.reports, (std::vector<std::int32_t>{100, 150}));

  JobRun larger = Digest(path, 4LL * kChunkSize);  // it has shrunk
  EXPECT_EQ(larger.digest, truth);
  EXPECT_EQ(larger.reports, (std::vector<std::int32_t>{25, 37}));

  JobRun zero = Digest(path, 0);
  EXPECT_EQ(zero.digest, truth);
  EXPECT_TRUE(zero.reports.empty());
}

TEST(FileDigestJob, OneJobServesManyFiles) {
  ScratchFolder folder;
  const std::string a = PatternBytes(100000, 1), b = PatternBytes(5, 2);
  const std::wstring a_path = folder.Write(L"a", a), b_path = folder.Write(L"b", b);
  {
    // A first job in the process sets up what stays (the first thread's own handles, lazy ones).
    FileDigestJob warm_up;
    DigestWithJob(warm_up, b_path, 5);
  }
  const int open_files = OpenFileCount();
  JobRun first, missing, second;
  HashedBytes meter;
  {
    FileDigestJob job;
    job.CountInto(&meter);
    first = DigestWithJob(job, a_path, 100000);
    missing = DigestWithJob(job, folder.PathOf(L"missing"), 10);
    second = DigestWithJob(job, b_path, 5);
  }
  // What the taskbar reads: every file's bytes, and the last file's own.
  EXPECT_EQ(meter.done.load(), 100005);
  EXPECT_EQ(meter.file_done.load(), 5);
  EXPECT_EQ(meter.file_size.load(), 5);
  EXPECT_EQ(OpenFileCount(), open_files) << "every file the job read closed again";
  EXPECT_EQ(first.digest, DigestOfBuffer(a.data(), 100000));
  EXPECT_EQ(missing.outcome, DigestOutcome::NotOpened);
  EXPECT_EQ(second.digest, DigestOfBuffer(b.data(), 5));
  EXPECT_EQ(second.reports, (std::vector<std::int32_t>{100}));
}

TEST(FileDigestJob, NotOpenedReadsAndReportsNothing) {
  ScratchFolder folder;
  FileDigestJob job;
  const int open_files = OpenFileCount();
  for (const std::wstring& path : {folder.PathOf(L"no such file"), folder.root.wstring(), std::wstring()}) {
    JobRun run = DigestWithJob(job, path, 100);
    EXPECT_EQ(OpenFileCount(), open_files) << "a folder opened to look at is closed again";
    EXPECT_EQ(run.outcome, DigestOutcome::NotOpened);
    EXPECT_EQ(run.digest, L"");
    EXPECT_TRUE(run.reports.empty());
  }
}

#ifdef _WIN32
TEST(FileDigestJob, FileHeldOpenForWritingIsNotOpened) {
  ScratchFolder folder;
  const std::wstring path = folder.Write(L"being written", "data");
  HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Digest(path, 4).outcome, DigestOutcome::NotOpened);
  CloseHandle(writer);
  EXPECT_EQ(Digest(path, 4).outcome, DigestOutcome::Digested);
}

TEST(FileDigestJob, OtherReadersMayShareTheFile) {
  ScratchFolder folder;
  const std::wstring path = folder.Write(L"being read", "data");
  HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Digest(path, 4).outcome, DigestOutcome::Digested);
  CloseHandle(reader);
}

TEST(FileDigestJob, PathsPastTheClassicLimit) {
  ScratchFolder folder;
  std::filesystem::path deep = folder.root;
  for (int k = 0; k < 6; ++k) deep /= std::wstring(50, static_cast<wchar_t>(L'a' + k));
  const std::wstring long_folder = L"\\\\?\\" + deep.wstring();
  std::error_code ignored;
  ASSERT_TRUE(std::filesystem::create_directories(long_folder, ignored) || std::filesystem::exists(long_folder));
  const std::wstring path = deep.wstring() + L"\\file.bin";
  ASSERT_GT(path.size(), 260u);
  {
    std::ofstream out(std::filesystem::path(L"\\\\?\\" + path), std::ios::binary);
    out << "abc";
  }
  JobRun run = Digest(path, 3);
  EXPECT_EQ(run.outcome, DigestOutcome::Digested);
  EXPECT_EQ(run.digest, L"900150983cd24fb0d6963f7d28e17f72");
}
#else
TEST(FileDigestJob, ReadFailurePartWayGivesNoDigest) {
  // Reading a process's own memory file from offset 0 fails with an I/O error.
  JobRun run = Digest(L"/proc/self/mem", 100);
  EXPECT_EQ(run.outcome, DigestOutcome::ReadFailed);
  EXPECT_EQ(run.digest, L"");
  const os::FileHandle file = os::OpenForReading(L"/proc/self/mem");
  char buffer[16];
  std::uint32_t delivered = 77;
  EXPECT_FALSE(os::ReadChunk(file, buffer, sizeof buffer, &delivered));
  EXPECT_EQ(delivered, 0u) << "a failed read delivers nothing";
  os::CloseFile(file);
  // The end of a file is an end, whatever errno held before.
  ScratchFolder folder;
  const os::FileHandle small = os::OpenForReading(folder.Write(L"small", "abc"));
  EXPECT_TRUE(os::ReadChunk(small, buffer, sizeof buffer, &delivered));
  EXPECT_EQ(delivered, 3u);
  errno = EINTR;
  EXPECT_TRUE(os::ReadChunk(small, buffer, sizeof buffer, &delivered));
  EXPECT_EQ(delivered, 0u);
  os::CloseFile(small);
}
#endif

TEST(FileDigestJob, AReadFailingOnTheReaderThreadGivesNoDigest) {
  ScratchFolder folder;
  const std::wstring path = folder.WriteSparse(L"three chunks", 3 << 20);
  // The 5th read is the reader's, inside the first chunk; the 20th is inside
  // the read ahead of the second.
  // The 1st read is the worker's, failing after it delivered every byte asked.
  for (const int failing : {1, 5, 20}) {
    SCOPED_TRACE(failing);
    FileDigestJob job = MebibyteChunkJob();
    std::atomic<int> calls{0};
    Access::ReplaceReads(job, [&](os::FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* delivered) {
      if (++calls == failing) {
        *delivered = failing == 1 ? size : 0;
        return false;
      }
      return os::ReadChunk(file, buffer, size, delivered);
    });
    const JobRun run = DigestWithJob(job, path, 3 << 20);
    EXPECT_EQ(run.outcome, DigestOutcome::ReadFailed);
    EXPECT_EQ(run.digest, L"");
    EXPECT_EQ(run.reports, failing < 20 ? std::vector<std::int32_t>{} : std::vector<std::int32_t>{33});
  }
}

TEST(FileDigestJob, FirstPieceReadHereTheRestOnTheReader) {
  ScratchFolder folder;
  const std::string bytes = PatternBytes(5 << 19);  // two and a half chunks
  const std::wstring path = folder.Write(L"f", bytes);
  const std::thread::id worker = std::this_thread::get_id();
  for (const auto& [buffers, thread] : {std::pair{2, true}, std::pair{1, true}, std::pair{2, false}}) {
    SCOPED_TRACE(std::to_string(buffers) + " buffers, thread " + (thread ? "had" : "not had"));
    FileDigestJob job = MebibyteChunkJob(buffers);
    if (!thread) Access::DenyReaderThread(job);
    std::vector<std::string> reads;  // who read, the worker (W) or the reader (R), and the size asked
    Access::ReplaceReads(job, [&](os::FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* delivered) {
      reads.push_back((std::this_thread::get_id() == worker ? "W " : "R ") + std::to_string(size));
      return os::ReadChunk(file, buffer, size, delivered);
    });
    EXPECT_EQ(DigestWithJob(job, path, 5 << 19).digest,
              DigestOfBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size())));

    // The reader reads the rest of the first chunk, the second (ahead, or
    // after the pause with one buffer) and the third, whose 9th piece finds
    // the end; after a short chunk the worker reads in turn. Without the
    // thread every read is a whole chunk's rest.
    std::vector<std::string> expected = {"W 65536"};
    if (thread) {
      expected.insert(expected.end(), 15 + 16 + 9, "R 65536");
      expected.push_back("W 1048576");
    } else {
      expected.insert(expected.end(), {"W 983040", "W 1048576", "W 1048576", "W 1048576"});
    }
    EXPECT_EQ(reads, expected);
  }
}

// A file that ends inside the first piece is read on the worker alone: the
// first piece, then the next chunk's read that finds the end.
TEST(FileDigestJob, ASmallFileIsReadOnTheWorker) {
  ScratchFolder folder;
  FileDigestJob job = MebibyteChunkJob();
  const std::thread::id worker = std::this_thread::get_id();
  std::vector<std::string> reads;
  Access::ReplaceReads(job, [&](os::FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* delivered) {
    reads.push_back((std::this_thread::get_id() == worker ? "W " : "R ") + std::to_string(size));
    return os::ReadChunk(file, buffer, size, delivered);
  });
  EXPECT_EQ(DigestWithJob(job, folder.Write(L"small", "abc"), 3).digest, L"900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(reads, (std::vector<std::string>{"W 65536", "W 1048576"}));
}

// Stopped while the reader reads ahead, the job cuts that read short after
// the piece it is in, and returns only after it is over: the file is not
// closed under it.
TEST(FileDigestJob, AStopCutsTheReadAheadShortAndWaitsForIt) {
  ScratchFolder folder;
  const std::wstring path = folder.WriteSparse(L"three chunks", 3 << 20);
  FileDigestJob job = MebibyteChunkJob();
  const std::thread::id worker = std::this_thread::get_id();
  std::atomic<int> in_flight{0}, reader_reads{0};
  Access::ReplaceReads(job, [&](os::FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* delivered) {
    ++in_flight;
    if (std::this_thread::get_id() != worker) {
      ++reader_reads;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const bool ok = os::ReadChunk(file, buffer, size, delivered);
    --in_flight;
    return ok;
  });
  const JobRun stopped = StoppedAtFirstReport(job, path, 3 << 20);
  EXPECT_EQ(stopped.outcome, DigestOutcome::Stopped);
  EXPECT_EQ(in_flight.load(), 0);
  // The first chunk's 15 reads, then a few of the next, not all its 16.
  EXPECT_LT(reader_reads.load(), 15 + 8);
}

TEST(FileDigestJob, StopAfterAChunkDiscardsIt) {
  ScratchFolder folder;
  const std::int64_t size = 3LL * kChunkSize;
  const std::wstring path = folder.WriteSparse(L"three chunks", size);
  FileDigestJob job;
  // Nothing more is reported after the stop.
  const JobRun run = StoppedAtFirstReport(job, path, size);
  EXPECT_EQ(run.outcome, DigestOutcome::Stopped);
  EXPECT_EQ(run.digest, L"");
  EXPECT_EQ(run.reports, (std::vector<std::int32_t>{33}));
  EXPECT_FALSE(Access::DigestStarted(job)) << "the stopped digest is finished and wiped";

  // The file was closed: it can be removed at once (Windows refuses otherwise).
  std::error_code error;
  EXPECT_TRUE(std::filesystem::remove(path, error)) << error.message();
}

TEST(FileDigestJob, StopBelongsToItsOwnRun) {
  ScratchFolder folder;
  const std::wstring path = folder.Write(L"small", "abc");
  StopToken old_run;
  old_run.requested.store(1);
  EXPECT_EQ(Digest(path, 3, &old_run).outcome, DigestOutcome::Stopped);

  StopToken new_run;  // a late request on the old token never reaches it
  old_run.requested.store(1);
  JobRun run = Digest(path, 3, &new_run);
  EXPECT_EQ(run.outcome, DigestOutcome::Digested);
  EXPECT_EQ(run.digest, L"900150983cd24fb0d6963f7d28e17f72");
}

TEST(FileDigestJob, SmallerBufferWhenTheChunkCannotBeHad) {
  const std::vector<std::uint32_t> halvings = {16u << 20, 8u << 20, 4u << 20, 2u << 20, 1u << 20,
                                               512u << 10, 256u << 10, 128u << 10, 64u << 10};
  ScratchFolder folder;
  const std::string bytes = PatternBytes(2500000);
  const std::wstring path = folder.Write(L"f", bytes);
  // Down to 1 MiB, down to the smallest chunk, and not even that.
  for (const std::uint32_t largest : {1u << 20, 64u << 10, 32u << 10}) {
    SCOPED_TRACE(largest);
    std::vector<std::uint32_t> asked;
    FileDigestJob job = Access::WithAllocator([&](std::uint32_t size) {
      asked.push_back(size);
      return size > largest ? nullptr : std::unique_ptr<std::uint8_t[]>(new std::uint8_t[size]());
    });
    const std::size_t tries = largest == (1u << 20) ? 5 : halvings.size();
    EXPECT_EQ(asked, std::vector<std::uint32_t>(halvings.begin(), halvings.begin() + tries));
    const JobRun run = DigestWithJob(job, path, 2500000);
    if (largest < kSmallestChunkSize) {
      EXPECT_FALSE(job.HasBuffer());
      EXPECT_EQ(run.outcome, DigestOutcome::NotOpened);
      continue;
    }
    ASSERT_TRUE(job.HasBuffer());
    EXPECT_EQ(Access::ChunkSize(job), largest);
    EXPECT_EQ(run.digest, DigestOfBuffer(bytes.data(), 2500000));
    if (largest == (1u << 20)) {
      EXPECT_EQ(run.reports, (std::vector<std::int32_t>{41, 83, 100}));
    }
  }
}

// Waits up to 30 s for `ready`; the tests below see a missing overlap of
// reading and hashing as a wait that never ends.
template <typename Ready>
bool EventuallyTrue(Ready ready) {
  for (int k = 0; k < 30000; ++k) {
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

// Reading overlaps hashing twice over: the worker hashes the landed pieces
// while the reader reads the rest of the chunk (the reader's read of the
// first chunk's last piece waits until the worker has hashed some), and the
// next chunk is read ahead beside this one's report (the report waits until
// the reader has begun the next chunk).
TEST(FileDigestJob, HashingFollowsTheReadsPieceByPiece) {
  ScratchFolder folder;
  const std::string bytes = PatternBytes(2 << 20);  // two chunks
  const std::wstring path = folder.Write(L"f", bytes);
  FileDigestJob job = MebibyteChunkJob();
  const std::thread::id worker = std::this_thread::get_id();
  std::atomic<int> reader_reads{0};
  bool hashed_while_reading = false;
  Access::ReplaceReads(job, [&](os::FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* delivered) {
    // The worker reads the first piece; the reader's 15th read is the last,
    // and the worker has hashed more than the first piece by then.
    if (std::this_thread::get_id() != worker && ++reader_reads == 15)
      hashed_while_reading = EventuallyTrue([&] { return Access::BytesHashedWhileReading(job) > 65536; });
    return os::ReadChunk(file, buffer, size, delivered);
  });
  std::vector<bool> next_chunk_begun;
  std::wstring digest;
  job.DigestFile(
      path, 2 << 20,
      [&](std::int32_t) { next_chunk_begun.push_back(EventuallyTrue([&] { return reader_reads.load() > 15; })); },
      nullptr, &digest);
  EXPECT_EQ(digest, DigestOfBuffer(bytes.data(), 2 << 20));
  EXPECT_TRUE(hashed_while_reading);
  ASSERT_FALSE(next_chunk_begun.empty());
  EXPECT_TRUE(next_chunk_begun[0]);
}

TEST(FileDigestJob, ReadingAheadOrInTurnGivesTheSame) {
  ScratchFolder folder;
  const std::string bytes = PatternBytes(2500000);
  const std::wstring path = folder.Write(L"f", bytes);
  const std::wstring stopped_path = folder.WriteSparse(L"stopped", 3 << 20);
  const std::wstring truth = DigestOfBuffer(bytes.data(), 2500000);
  // One buffer: reads in turn. Two: the second is the read-ahead buffer. In
  // both, the reader thread reads the chunks a piece at a time. Without the
  // thread, every read runs on the worker, whole chunks as before.
  struct Setup {
    int buffers;
    bool thread;
  };
  for (const Setup setup : {Setup{1, true}, Setup{2, true}, Setup{2, false}}) {
    SCOPED_TRACE(std::to_string(setup.buffers) + " buffers, thread " + (setup.thread ? "had" : "not had"));
    const auto asks = std::make_shared<int>(0);
    FileDigestJob job = MebibyteChunkJob(setup.buffers, asks);
    if (!setup.thread) Access::DenyReaderThread(job);
    ASSERT_EQ(Access::ChunkSize(job), 1024u * 1024);
    for (int k = 0; k < 2; ++k) {  // one reader serves file after file, stopped or not
      JobRun run = DigestWithJob(job, path, 2500000);
      EXPECT_EQ(run.digest, truth);
      EXPECT_EQ(run.reports, (std::vector<std::int32_t>{41, 83, 100}));

      const JobRun stopped = StoppedAtFirstReport(job, stopped_path, 3 << 20);
      EXPECT_EQ(stopped.outcome, DigestOutcome::Stopped);
      EXPECT_EQ(stopped.digest, L"");
      EXPECT_EQ(stopped.reports, (std::vector<std::int32_t>{33}));
    }
    EXPECT_EQ(Access::HasReaderThread(job), setup.thread) << "the reader reads pieces even with one buffer";
    EXPECT_EQ(Access::HasSecondBuffer(job), setup.buffers == 2 && setup.thread);
    EXPECT_EQ(*asks, setup.thread ? 2 : 1) << "a second buffer refused once is not asked for again";
  }
}

TEST(FileDigestJob, NoBufferAtAllNeverReads) {
  FileDigestJob job = Access::WithAllocator([](std::uint32_t) { return std::unique_ptr<std::uint8_t[]>(); });
  EXPECT_FALSE(job.HasBuffer());
  ScratchFolder folder;
  JobRun run = DigestWithJob(job, folder.Write(L"f", "abc"), 3);
  EXPECT_EQ(run.outcome, DigestOutcome::NotOpened);
  EXPECT_TRUE(run.reports.empty());
}

TEST(WholePercent, TruncatesInDoublePrecision) {
  EXPECT_EQ(WholePercent(0, 0), 0);
  EXPECT_EQ(WholePercent(5, 0), 0);
  EXPECT_EQ(WholePercent(1, 3), 33);
  EXPECT_EQ(WholePercent(2, 3), 66);
  EXPECT_EQ(WholePercent(999, 1000), 99);
  EXPECT_EQ(WholePercent(1000, 1000), 100);
  EXPECT_EQ(WholePercent(3, 1), 300);
  EXPECT_EQ(WholePercent(7, 100), 7) << "0.07 * 100.0 is 7.000000000000001";
  EXPECT_EQ(WholePercent(29, 100), 28) << "0.29 * 100.0 is 28.999999999999996";
  EXPECT_EQ(WholePercent(INT64_MAX, 1), 2147483647);
  EXPECT_EQ(WholePercent(INT64_MIN, 1), -2147483647 - 1);
  EXPECT_EQ(WholePercent(-1, 3), -33);
}

}  // namespace

#include "windows/long_work.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "long_work_recorder.h"

namespace {

class LongWorkTest : public ::testing::Test {
 protected:

  // A work whose worker is at its second file of 100 bytes, 30 of them read,
  // with `after` bytes of items below.
  std::shared_ptr<HashedBytes> Meter(std::int64_t done, std::int64_t after) {
    auto meter = std::make_shared<HashedBytes>();
    meter->done = done;
    meter->file_size = 100;
    meter->file_done = 30;
    meter->after = after;
    return meter;
  }
  static BytesAfter AfterOf(const std::shared_ptr<HashedBytes>& meter) {
    return [meter] { return meter->after.load(); };
  }

  RecordedLongWork recorded;
  LongWorkRecord& record = recorded.record;
};

TEST_F(LongWorkTest, ARunShowsItsBytesWithinTheTotalReachesItWholeAndLetsGoOnce) {
  auto meter = Meter(0, 0);
  meter->file_done = 0;
  meter->after = 1000;
  const LongWorkId run = BeginLongWork(0, meter, AfterOf(meter));
  EXPECT_EQ(record.awake, 1);
  EXPECT_TRUE(record.updating);
  ASSERT_EQ(record.shown.size(), 1u) << "shown as the run starts";
  EXPECT_EQ(record.shown[0].done, 0u);
  EXPECT_EQ(record.shown[0].total, 1100u);
  // Rows deleted below the current file, then the file found longer than recorded.
  meter->done = 130;
  meter->file_done = 30;
  meter->after = 400;
  UpdateLongWork();
  EXPECT_EQ(record.shown.back().done, 130u);
  EXPECT_EQ(record.shown.back().total, 130u + 70u + 400u);
  meter->done = 250;
  meter->file_done = 150;
  meter->after = 0;
  UpdateLongWork();
  EXPECT_EQ(record.shown.back().total, 250u) << "a file grown past its recorded size adds nothing left";
  for (const LongWorkRecord::Shown& shown : record.shown) EXPECT_LE(shown.done, shown.total);

  meter->done = 900;
  meter->file_done = 10;  // a last file just begun; the run ended all the same
  meter->after = 500;
  EndLongWork(run, LongWorkEnd::Whole);
  EXPECT_EQ(record.shown.back().done, 900u);
  EXPECT_EQ(record.shown.back().total, 900u) << "a whole run reaches its total";
  EXPECT_EQ(record.calls.back(), "sleep");
  EXPECT_EQ(record.calls[record.calls.size() - 2], "clear");
  EXPECT_EQ(record.awake, 0);
  EXPECT_FALSE(record.updating);
  EXPECT_FALSE(LongWorkRunning());
  const std::size_t calls = record.calls.size();
  EndLongWork(run, LongWorkEnd::Whole);
  UpdateLongWork();
  EXPECT_EQ(record.calls.size(), calls) << "an ended run shows nothing more";
}

TEST_F(LongWorkTest, ARunAndACheckAtOnceShowTheirBytesTogetherAndHoldOneRequest) {
  auto run_meter = Meter(200, 1000);
  auto check_meter = Meter(50, 300);
  const LongWorkId run = BeginLongWork(0, run_meter, AfterOf(run_meter));
  const LongWorkId check = BeginLongWork(0, check_meter, AfterOf(check_meter));
  EXPECT_EQ(record.awake, 1);
  EXPECT_EQ(record.shown.back().done, 250u);
  EXPECT_EQ(record.shown.back().total, (200u + 70u + 1000u) + (50u + 70u + 300u));
  EndLongWork(run, LongWorkEnd::Stopped);
  EXPECT_EQ(record.awake, 1) << "the check still works";
  EXPECT_TRUE(record.updating);
  EXPECT_EQ(record.shown.back().total, 50u + 70u + 300u) << "a stopped run counts no more";
  EXPECT_EQ(std::count(record.calls.begin(), record.calls.end(), "clear"), 0);
  EndLongWork(check, LongWorkEnd::Stopped);
  EXPECT_EQ(record.awake, 0);
  EXPECT_EQ(record.calls.back(), "sleep");
  EXPECT_EQ(std::count(record.calls.begin(), record.calls.end(), "awake"), 1);
}

// The worker's hold ends the work however the worker ends: the work comes to
// its end, the worker is stopped first (and the hold comes later), or no
// thread was ever had (the hold goes at once, where it was made).
TEST_F(LongWorkTest, TheWorkersHoldEndsItsWorkOnEveryPath) {
  auto meter = Meter(0, 10);
  const LongWorkId never_started = BeginLongWork(0, meter, AfterOf(meter));
  HoldLongWork(never_started);
  EXPECT_FALSE(LongWorkRunning());
  EXPECT_EQ(record.awake, 0);

  const LongWorkId stopped = BeginLongWork(0, meter, AfterOf(meter));
  std::shared_ptr<void> hold = HoldLongWork(stopped);
  EndLongWork(stopped, LongWorkEnd::Stopped);
  const LongWorkId next = BeginLongWork(0, meter, AfterOf(meter));
  hold.reset();  // the stopped worker ends while the next run works
  EXPECT_TRUE(LongWorkRunning()) << "an old worker's end leaves the next run alone";
  EXPECT_EQ(record.awake, 1);

  std::thread worker([hold = HoldLongWork(next)] {});
  worker.join();
  EXPECT_FALSE(LongWorkRunning());
  EXPECT_EQ(record.awake, 0);
}

TEST_F(LongWorkTest, OnlyLongWorkEndedOutOfSightFlashes) {
  auto meter = Meter(0, 0);
  const auto flashes = [this] { return std::count(record.calls.begin(), record.calls.end(), "flash"); };
  record.now = 1000;
  LongWorkId work = BeginLongWork(0, meter, AfterOf(meter));
  record.now += kLongWorkMilliseconds;
  record.in_front = false;
  EndLongWork(work, LongWorkEnd::Whole);
  EXPECT_EQ(flashes(), 0) << "not longer than the limit";

  work = BeginLongWork(0, meter, AfterOf(meter));
  record.now += kLongWorkMilliseconds + 1;
  record.in_front = true;
  EndLongWork(work, LongWorkEnd::Whole);
  EXPECT_EQ(flashes(), 0) << "the program is in front";

  work = BeginLongWork(0, meter, AfterOf(meter));
  record.now += kLongWorkMilliseconds + 1;
  record.in_front = false;
  EndLongWork(work, LongWorkEnd::Whole);
  EXPECT_EQ(flashes(), 1);
  EXPECT_EQ(record.calls.back(), "flash") << "after the button was cleared";
}

}  // namespace

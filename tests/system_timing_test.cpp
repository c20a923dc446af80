// Win32 only: how the pauses are made and the computer kept awake, with what
// the system offers simulated.
#include <gtest/gtest.h>

#include <chrono>

#include "os/keep_awake.h"
#include "os/pause.h"
#include "os/win32/awake_system.h"
#include "os/win32/pause_system.h"
#include "pause_test_access.h"

namespace os {
namespace {

HANDLE WINAPI RefusesTheFlag(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD) {
  SetLastError(ERROR_INVALID_PARAMETER);  // as before Windows 10 1803
  return nullptr;
}
HANDLE WINAPI MakesATimer(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD) {
  return CreateWaitableTimerW(nullptr, FALSE, nullptr);
}
UINT WINAPI PeriodSet(UINT) { return 0; }

TEST(Pause, TheBestWayTheSystemOffersIsChosenAndNoneIsShorterThanItsMillisecond) {
  const PauseSystem& real = SystemPause();
  struct Offer {
    PauseSystem system;
    PauseKind expected;
  };
  const Offer offers[] = {
      {{MakesATimer, PeriodSet, PeriodSet}, PauseKind::HighResolutionTimer},
      {{RefusesTheFlag, real.begin_period, real.end_period}, PauseKind::RaisedResolution},
      {{nullptr, real.begin_period, real.end_period}, PauseKind::RaisedResolution},
      {{RefusesTheFlag, nullptr, nullptr}, PauseKind::Sleep},
  };
  ASSERT_TRUE(real.begin_period && real.end_period) << "winmm's timer functions from System32";
  for (const Offer& offer : offers) {
    Pause pause;
    PauseTestAccess::Choose(pause, offer.system);
    EXPECT_EQ(pause.Kind(), offer.expected);
    for (int turn = 0; turn < 20; ++turn) {
      const auto start = std::chrono::steady_clock::now();
      pause.OneMillisecond();
      EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1));
    }
  }
}

int g_created = 0;
int g_set = 0;
int g_cleared = 0;
HANDLE WINAPI RequestMade(PREASON_CONTEXT context) {
  ++g_created;
  EXPECT_EQ(context->Flags, static_cast<DWORD>(POWER_REQUEST_CONTEXT_SIMPLE_STRING));
  EXPECT_STREQ(context->Reason.SimpleReasonString, L"Computing MD5 checksums");
  return CreateEventW(nullptr, TRUE, FALSE, nullptr);  // any handle the caller may close
}
HANDLE WINAPI RequestRefused(PREASON_CONTEXT) {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);  // as Wine's stub does
  return INVALID_HANDLE_VALUE;
}
BOOL WINAPI SystemRequiredSet(HANDLE, POWER_REQUEST_TYPE type) {
  EXPECT_EQ(type, PowerRequestSystemRequired);
  ++g_set;
  return TRUE;
}
BOOL WINAPI SystemRequiredCleared(HANDLE, POWER_REQUEST_TYPE type) {
  EXPECT_EQ(type, PowerRequestSystemRequired);
  ++g_cleared;
  return TRUE;
}

TEST(KeepAwake, APowerRequestWhereTheSystemMakesOneElseAThreadHoldsTheState) {
  const AwakeSystem requests{RequestMade, SystemRequiredSet, SystemRequiredCleared};
  EXPECT_EQ(KeepSystemAwakeWith(requests, L"Computing MD5 checksums"), AwakeKind::PowerRequest);
  EXPECT_EQ(KeepSystemAwakeWith(requests, L"Computing MD5 checksums"), AwakeKind::PowerRequest);
  EXPECT_EQ(g_created, 1) << "one hold at a time";
  EXPECT_EQ(g_set, 1);
  LetSystemSleep();
  EXPECT_EQ(g_cleared, 1);
  LetSystemSleep();
  EXPECT_EQ(g_cleared, 1) << "nothing held, nothing let go";

  const AwakeSystem refused{RequestRefused, SystemRequiredSet, SystemRequiredCleared};
  for (int turn = 0; turn < 3; ++turn) {
    EXPECT_EQ(KeepSystemAwakeWith(refused, L"Computing MD5 checksums"), AwakeKind::ExecutionState);
    LetSystemSleep();
  }
  EXPECT_EQ(g_set, 1);
  EXPECT_EQ(g_cleared, 1);
  // Whatever this system offers, it is asked one way or the other.
  EXPECT_NE(KeepSystemAwake(L"Computing MD5 checksums"), AwakeKind::None);
  LetSystemSleep();
}

}  // namespace
}  // namespace os

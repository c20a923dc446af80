// Workers' writes reach the window thread: all of them, in order, never a later window.
#include "ui_fixture.h"

#include <chrono>

namespace {

// Workers write while the window thread serves its queue.
TEST_F(UiTest, WritesFromWorkerThreadsLandOnTheWindowThread) {
  ASSERT_TRUE(TextGadget(3, 10, 10, 200, 20, L"start"));
  ASSERT_TRUE(CheckBoxGadget(2, 10, 40, 120, 20, L"Tick"));
  ASSERT_TRUE(CreateToolbar(kTestWindow));
  ASSERT_TRUE(AddToolbarButton(kTestWindow, 1, -1));
  ASSERT_TRUE(AddToolbarButton(kTestWindow, 2, -1));
  ASSERT_TRUE(CreateStatusBar(kTestWindow, {200, 100}, 18));
  ASSERT_TRUE(AddStatusProgress(kTestWindow, 0));
  HWND toolbar = FindWindowExW(WindowHandle(kTestWindow), nullptr, TOOLBARCLASSNAMEW, nullptr);
  HWND status = FindWindowExW(WindowHandle(kTestWindow), nullptr, STATUSCLASSNAMEW, nullptr);
  DWORD window_thread = GetCurrentThreadId();

  std::atomic<int> wrong_thread{0};
  auto worker = [&] {
    if (GetCurrentThreadId() == window_thread) ++wrong_thread;
    SetGadgetText(3, L"written by a worker");
    SetGadgetState(2, 1);
    EnableToolbarButton(kTestWindow, 1, false);
    SetStatusText(kTestWindow, 1, L"Calculating");
    SetStatusProgress(kTestWindow, 77);
  };
  std::thread first(worker);
  std::thread second(worker);
  // The workers never wait on this thread, so joining before serving is safe.
  first.join();
  second.join();
  EXPECT_EQ(wrong_thread.load(), 0);
  ASSERT_TRUE(ServeUntil([&] { return WindowText(GadgetHandle(3)) == L"written by a worker"; }));
  ServeFor(50);
  EXPECT_EQ(SendMessageW(GadgetHandle(2), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, 1, 0));
  EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONENABLED, 2, 0));
  wchar_t text[64] = L"";
  SendMessageW(status, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"Calculating");
  EXPECT_EQ(SendMessageW(FindWindowExW(status, nullptr, PROGRESS_CLASSW, nullptr), PBM_GETPOS, 0, 0), 77);
  // Reads from a worker see what the window thread has applied.
  std::wstring text_seen;
  std::int32_t state_seen = -1;
  std::thread reader([&] {
    text_seen = GetGadgetText(3);
    state_seen = GetGadgetState(2);
  });
  reader.join();
  EXPECT_EQ(text_seen, L"written by a worker");
  EXPECT_EQ(state_seen, 1);
}

// A stream of writes that lasts seconds still lets the windows be drawn
// between turns: the list a worker fills must show its rows as they come.
TEST_F(UiTest, AWindowIsRepaintedWhileWritesKeepComing) {
  HWND window = WindowHandle(kTestWindow);
  constexpr int kWrites = 600;  // 3 ms each: about 2 s in all
  std::atomic<int> applied{0};
  // Held by the clock, not by Sleep, which Windows rounds up to its 15.6 ms tick.
  const auto busy_for_3_ms = [] {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(3);
    while (std::chrono::steady_clock::now() < until) {
    }
  };
  std::thread worker([&] {
    for (int i = 0; i < kWrites; ++i) CallOnWindowThread(kTestWindow, [&applied, busy_for_3_ms] { busy_for_3_ms(); ++applied; });
  });
  EXPECT_TRUE(ServeUntil([&] { return applied.load() > 0; }));
  InvalidateRect(window, nullptr, FALSE);
  int applied_when_painted = kWrites;
  EXPECT_TRUE(ServeUntil([&] {
    if (GetUpdateRect(window, nullptr, FALSE)) return false;
    applied_when_painted = applied.load();
    return true;
  }));
  EXPECT_LT(applied_when_painted, kWrites / 2);
  worker.join();
  EXPECT_TRUE(ServeUntil([&] { return applied.load() == kWrites; }, 60000));
}

// Windows refuses posts to a thread whose queue holds 10,000 of them; Wine
// has no such cap. Here every wake-up post is refused while the window thread
// is busy elsewhere: all writes still land, in order, once it serves again.
BOOL WINAPI RefusedPost(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
std::atomic<int> g_wake_posts{0};
BOOL WINAPI CountedPost(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  ++g_wake_posts;
  return PostMessageW(window, message, wparam, lparam);
}

TEST_F(UiTest, NoWriteIsLostWhenWakeUpPostsAreRefused) {
  ASSERT_TRUE(TextGadget(3, 10, 10, 200, 20, L"start"));
  // The real post comes back however the test ends: the later tests of this
  // process would otherwise run with posts refused.
  struct RealPostBack {
    WakePost real = ReplaceWakePost(RefusedPost);
    ~RealPostBack() { ReplaceWakePost(real); }
  } restore;
  constexpr int kWrites = 30000;
  std::vector<int> applied;  // window thread only
  std::thread worker([&] {
    for (int i = 0; i < kWrites; ++i) CallOnWindowThread(kTestWindow, [&applied, i] { applied.push_back(i); });
    SetGadgetText(3, L"last");
  });
  worker.join();  // the window thread served nothing meanwhile
  EXPECT_TRUE(applied.empty());
  EXPECT_TRUE(ServeUntil([] { return GetGadgetText(3) == L"last"; }, 60000));
  ASSERT_EQ(applied.size(), static_cast<std::size_t>(kWrites));
  for (int i = 0; i < kWrites; ++i) ASSERT_EQ(applied[static_cast<std::size_t>(i)], i);

  // Accepted, one wake-up serves a whole burst: the flood the queue exists
  // to prevent would be one post a write.
  ReplaceWakePost(CountedPost);
  g_wake_posts = 0;
  std::thread burst([] {
    for (int i = 0; i < 1000; ++i) SetGadgetText(3, L"burst " + std::to_wstring(i));
  });
  burst.join();
  EXPECT_EQ(g_wake_posts.load(), 1);
  EXPECT_TRUE(ServeUntil([] { return GetGadgetText(3) == L"burst 999"; }));
}

TEST_F(UiTest, WritesForAClosedWindowNeverReachItsReopening) {
  ASSERT_TRUE(OpenWindow(kOtherWindow, 0, 0, 200, 100, L"First opening", WindowStyle::Tool, kTestWindow));
  ASSERT_TRUE(TextGadget(18, 10, 10, 150, 20, L"Idle"));

  // A bound worker: its window is closed and opened again before it writes.
  std::atomic<int> step{0};
  std::thread bound(BindToOpenWindows([&] {
    while (step.load() != 1) Sleep(1);
    SetGadgetText(18, L"from the old worker");
    EnableGadget(18, false);
    step = 2;
  }));
  CloseWindowNumber(kOtherWindow);
  ASSERT_TRUE(OpenWindow(kOtherWindow, 0, 0, 200, 100, L"Second opening", WindowStyle::Tool, kTestWindow));
  ASSERT_TRUE(TextGadget(18, 10, 10, 150, 20, L"Idle"));
  step = 1;
  bound.join();
  ServeFor(100);
  EXPECT_EQ(WindowText(GadgetHandle(18)), L"Idle");
  EXPECT_TRUE(IsWindowEnabled(GadgetHandle(18)));

  // An unbound worker's write is on its way when the window closes and reopens.
  std::thread([] { SetGadgetText(18, L"late write"); }).join();
  CloseWindowNumber(kOtherWindow);
  ASSERT_TRUE(OpenWindow(kOtherWindow, 0, 0, 200, 100, L"Third opening", WindowStyle::Tool, kTestWindow));
  ASSERT_TRUE(TextGadget(18, 10, 10, 150, 20, L"Idle"));
  ServeFor(100);
  EXPECT_EQ(WindowText(GadgetHandle(18)), L"Idle");

  // While the window stays open, the same bound write does arrive.
  std::thread(BindToOpenWindows([] { SetGadgetText(18, L"arrives"); })).join();
  EXPECT_TRUE(ServeUntil([] { return WindowText(GadgetHandle(18)) == L"arrives"; }));
  // And to a window that is simply closed, it goes nowhere.
  std::thread late(BindToOpenWindows([] { Sleep(50); SetGadgetText(18, L"nowhere"); }));
  CloseWindowNumber(kOtherWindow);
  late.join();
  ServeFor(50);
  EXPECT_FALSE(GadgetExists(18));
}

}  // namespace

// What the services' tests share: a window of their own to put gadgets in,
// a list model over rows a test owns, and reads of what controls show.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

#include "ui/bars.h"
#include "ui/clipboard.h"
#include "ui/events.h"
#include "ui/file_drop.h"
#include "ui/gadget.h"
#include "ui/list.h"
#include "ui/menu.h"
#include "ui/requester.h"
#include "ui/window.h"
#include "test_files.h"
#include "ui_test_support.h"

inline constexpr std::int32_t kTestWindow = 10;
inline constexpr std::int32_t kOtherWindow = 11;

// A list model over rows a test owns, guarded as a program's would be.
struct TestRows {
  struct Row {
    std::vector<std::wstring> cells;
    bool ticked = false;
  };
  std::mutex mutex;
  std::vector<Row> rows;

  ListModel Model() {
    ListModel model;
    model.count = [this] {
      std::lock_guard<std::mutex> hold(mutex);
      return static_cast<std::int32_t>(rows.size());
    };
    model.cell = [this](std::int32_t row, std::int32_t column) {
      std::lock_guard<std::mutex> hold(mutex);
      if (row < 0 || row >= static_cast<std::int32_t>(rows.size())) return std::wstring();
      const auto& cells = rows[static_cast<std::size_t>(row)].cells;
      return column >= 0 && column < static_cast<std::int32_t>(cells.size()) ? cells[static_cast<std::size_t>(column)]
                                                                             : std::wstring();
    };
    model.ticked = [this](std::int32_t row) { return Ticked(row); };
    model.set_ticked = [this](std::int32_t row, bool ticked) {
      std::lock_guard<std::mutex> hold(mutex);
      if (row >= 0 && row < static_cast<std::int32_t>(rows.size())) rows[static_cast<std::size_t>(row)].ticked = ticked;
    };
    return model;
  }
  bool Ticked(std::int32_t row) {
    std::lock_guard<std::mutex> hold(mutex);
    return row >= 0 && row < static_cast<std::int32_t>(rows.size()) && rows[static_cast<std::size_t>(row)].ticked;
  }
  void Add(std::vector<std::wstring> cells, bool ticked = false) {
    std::lock_guard<std::mutex> hold(mutex);
    rows.push_back({std::move(cells), ticked});
  }
  void Remove(std::size_t row) {
    std::lock_guard<std::mutex> hold(mutex);
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(row));
  }
};

struct UiTest : testing::Test {
  void SetUp() override {
    ASSERT_TRUE(StartUi());
    ASSERT_TRUE(OpenWindow(kTestWindow, 50, 40, 400, 300, L"Test window", WindowStyle::Main));
    ServeFor(50);
    DiscardEvents();
  }
  void TearDown() override {
    CloseWindowNumber(kOtherWindow);
    CloseWindowNumber(kTestWindow);
    ServeFor(20);
    DiscardEvents();
  }
  TestRows rows;  // a list's model: outlives the window, closed in TearDown
};

inline RECT RectInParent(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

inline bool TickedInControl(HWND list, int row) {
  return (SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) &
          LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

inline int RowCountOfControl(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

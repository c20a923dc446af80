// The fixture of every test that drives the real program in this process.
#pragma once

#include <gtest/gtest.h>

// Starts the program once per test process, and before every test brings it
// back to its state right after start-up: the main window open and enabled,
// no tool window, no run, an empty list, the default settings and no events
// waiting. So no test depends on what ran before it, or in which order.
struct ProgramTest : testing::Test {
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;
};

#include "os/page_arena.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// A moved arena's blocks go with it: the one moved from is empty, gives
// nothing back twice, and takes blocks of its own when used again; an arena
// moved onto gives back what it held first, and one moved onto itself keeps
// what it has. Every block is back with the system once they all go.
TEST(PageArena, AMovedFromArenaIsEmptyAndCanBeUsedAgain) {
  const std::size_t held_before = os::PageBlocksHeld();
  {
    os::PageArena first;
    auto* kept = static_cast<unsigned char*>(os::ArenaTake(first, 100));
    kept[99] = 7;
    os::PageArena second(std::move(first));
    EXPECT_EQ(os::ArenaBytes(first), 0u);
    EXPECT_EQ(first.used, 0u);
    EXPECT_EQ(second.used, 100u);
    EXPECT_EQ(os::PageBlocksHeld(), held_before + 1);
    auto* again = static_cast<unsigned char*>(os::ArenaTake(first, 100));
    EXPECT_EQ(again[99], 0) << "a block of its own, zero-filled";
    EXPECT_EQ(os::PageBlocksHeld(), held_before + 2);

    os::PageArena third;
    os::ArenaTake(third, 10);
    third = std::move(second);
    EXPECT_EQ(os::PageBlocksHeld(), held_before + 2) << "third's own block went back";
    EXPECT_EQ(third.used, 100u);
    EXPECT_EQ(os::ArenaBytes(second), 0u);
    EXPECT_EQ(second.used, 0u);
    os::PageArena& same = third;
    third = std::move(same);
    EXPECT_EQ(third.used, 100u);
    EXPECT_EQ(kept[99], 7);
    os::ArenaTake(second, 1);
    EXPECT_EQ(os::PageBlocksHeld(), held_before + 3);
  }
  EXPECT_EQ(os::PageBlocksHeld(), held_before);
}

}  // namespace

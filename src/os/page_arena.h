// Memory taken from the system in big blocks of whole pages and given back to
// it whole: a long list's rows live in one arena, so letting them go is a few
// calls however many rows there were, and leaves nothing in the C heap.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace os {

// Gives its blocks back when it ends; moved, it leaves an empty arena.
struct PageArena {
  PageArena() = default;
  PageArena(PageArena&& from) noexcept;
  PageArena& operator=(PageArena&& from) noexcept;
  ~PageArena();
  struct Block {
    unsigned char* at = nullptr;
    std::size_t bytes = 0;
  };
  std::vector<Block> blocks;  // the last one is being filled
  std::size_t used = 0;       // bytes taken from the last block
};

// `bytes` from the arena, aligned to `align` (a power of two, at most 16),
// zero-filled, never moved; throws std::bad_alloc when the system refuses a
// block.
void* ArenaTake(PageArena& arena, std::size_t bytes, std::size_t align = 16);
// Gives every block back to the system; the arena is then empty and can be
// used again.
void ReleaseArena(PageArena& arena);

// Page blocks the process holds from every arena: the tests' proof that a
// released arena went back to the system.
std::size_t PageBlocksHeld();

// A standard allocator over an arena: what a container frees stays until the
// arena goes, so it suits containers that mostly grow.
template <typename T>
struct ArenaAllocator {
  using value_type = T;
  PageArena* arena;
  explicit ArenaAllocator(PageArena* to) : arena(to) {}
  template <typename U>
  ArenaAllocator(const ArenaAllocator<U>& other) : arena(other.arena) {}
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T) / 2) throw std::bad_alloc();
    return static_cast<T*>(ArenaTake(*arena, n * sizeof(T), alignof(T) < 16 ? alignof(T) : 16));
  }
  void deallocate(T*, std::size_t) {}
  template <typename U>
  bool operator==(const ArenaAllocator<U>& other) const { return arena == other.arena; }
  template <typename U>
  bool operator!=(const ArenaAllocator<U>& other) const { return arena != other.arena; }
};

// The bytes an arena holds from the system, its blocks counted whole.
std::size_t ArenaBytes(const PageArena& arena);

// The system's half, in posix/ and win32/: null when refused.
void* TakePages(std::size_t bytes);
void GivePagesBack(void* at, std::size_t bytes);

}  // namespace os

// Memory taken from the system in large blocks and given back to it whole:
// for data that lives and goes all together (a list's million rows), which
// the heap would keep for the process once freed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace os {

// One owner's blocks; not shared between threads without a lock of the owner's.
struct MemoryBlocks {
  MemoryBlocks() = default;
  MemoryBlocks(const MemoryBlocks&) = delete;
  MemoryBlocks& operator=(const MemoryBlocks&) = delete;
  ~MemoryBlocks();

  std::vector<void*> blocks;  // each from the system
  std::vector<std::size_t> sizes;
  std::uint8_t* free_at = nullptr;  // the unused rest of the last ordinary block
  std::size_t free_bytes = 0;
};

// `bytes` aligned to `align` (a power of two, at most 64), valid until the
// blocks are released; never freed one by one. Throws std::bad_alloc when
// the system has no more.
void* TakeBytes(MemoryBlocks& memory, std::size_t bytes, std::size_t align);
// Gives every block back to the system.
void ReleaseBlocks(MemoryBlocks& memory);
// The bytes taken from the system now, blocks counted whole.
std::size_t BlockBytes(const MemoryBlocks& memory);

// A standard allocator over a MemoryBlocks: what a container frees stays
// until the blocks go, so it suits containers that mostly grow.
template <typename T>
struct BlockAllocator {
  using value_type = T;
  MemoryBlocks* memory;
  explicit BlockAllocator(MemoryBlocks* blocks) : memory(blocks) {}
  template <typename U>
  BlockAllocator(const BlockAllocator<U>& other) : memory(other.memory) {}
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(TakeBytes(*memory, n * sizeof(T), alignof(T) < 8 ? 8 : alignof(T)));
  }
  void deallocate(T*, std::size_t) {}
  template <typename U>
  bool operator==(const BlockAllocator<U>& other) const { return memory == other.memory; }
  template <typename U>
  bool operator!=(const BlockAllocator<U>& other) const { return memory != other.memory; }
};

}  // namespace os

#include "os/memory_blocks.h"

#include <cstdint>

#include "os/system_memory.h"

namespace os {
namespace {

// Large enough that a million rows take a few hundred system calls, small
// enough that a short list wastes little.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

void* NewBlock(MemoryBlocks& memory, std::size_t bytes) {
  memory.blocks.reserve(memory.blocks.size() + 1);
  memory.sizes.reserve(memory.sizes.size() + 1);
  void* block = TakeSystemMemory(bytes);
  if (!block) throw std::bad_alloc();
  memory.blocks.push_back(block);
  memory.sizes.push_back(bytes);
  return block;
}

}  // namespace

MemoryBlocks::~MemoryBlocks() { ReleaseBlocks(*this); }

void* TakeBytes(MemoryBlocks& memory, std::size_t bytes, std::size_t align) {
  if (bytes == 0) bytes = 1;
  const std::size_t skip = (align - reinterpret_cast<std::uintptr_t>(memory.free_at) % align) % align;
  if (memory.free_at && skip + bytes <= memory.free_bytes) {
    void* taken = memory.free_at + skip;
    memory.free_at += skip + bytes;
    memory.free_bytes -= skip + bytes;
    return taken;
  }
  // A request of a quarter block or more gets a block of its own, so that
  // the rest of the current one is not wasted.
  if (bytes >= kBlockBytes / 4) return NewBlock(memory, (bytes + 4095) / 4096 * 4096);
  auto* block = static_cast<std::uint8_t*>(NewBlock(memory, kBlockBytes));
  memory.free_at = block + bytes;
  memory.free_bytes = kBlockBytes - bytes;
  return block;
}

void ReleaseBlocks(MemoryBlocks& memory) {
  for (std::size_t k = 0; k < memory.blocks.size(); ++k) GiveBackSystemMemory(memory.blocks[k], memory.sizes[k]);
  memory.blocks.clear();
  memory.sizes.clear();
  memory.free_at = nullptr;
  memory.free_bytes = 0;
}

std::size_t BlockBytes(const MemoryBlocks& memory) {
  std::size_t total = 0;
  for (std::size_t size : memory.sizes) total += size;
  return total;
}

}  // namespace os

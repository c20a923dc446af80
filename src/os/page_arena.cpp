#include "os/page_arena.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <utility>

namespace os {

namespace {

// Big enough that a million rows take a hundred blocks or so, small enough
// that a short list holds little it does not use.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

std::atomic<std::size_t> blocks_held{0};

std::size_t RoundUp(std::size_t bytes, std::size_t to) { return (bytes + to - 1) / to * to; }

}  // namespace

PageArena::PageArena(PageArena&& from) noexcept : blocks(std::move(from.blocks)), used(from.used) {
  from.blocks.clear();
  from.used = 0;
}

PageArena& PageArena::operator=(PageArena&& from) noexcept {
  if (this != &from) {
    ReleaseArena(*this);
    blocks.swap(from.blocks);
    used = from.used;
    from.used = 0;
  }
  return *this;
}

PageArena::~PageArena() { ReleaseArena(*this); }

void* ArenaTake(PageArena& arena, std::size_t bytes, std::size_t align) {
  if (bytes == 0) bytes = 1;
  if (!arena.blocks.empty()) arena.used = std::min(RoundUp(arena.used, align), arena.blocks.back().bytes);
  if (arena.blocks.empty() || arena.blocks.back().bytes - arena.used < bytes) {
    if (bytes > (static_cast<std::size_t>(-1) >> 1)) throw std::bad_alloc();
    const std::size_t block_bytes = bytes > kBlockBytes ? RoundUp(bytes, kBlockBytes) : kBlockBytes;
    arena.blocks.reserve(arena.blocks.size() + 1);  // before the pages: nothing to undo if it throws
    void* pages = TakePages(block_bytes);
    if (!pages) throw std::bad_alloc();
    blocks_held.fetch_add(1);
    arena.blocks.push_back({static_cast<unsigned char*>(pages), block_bytes});
    arena.used = 0;
  }
  unsigned char* at = arena.blocks.back().at + arena.used;
  arena.used += bytes;
  return at;
}

void ReleaseArena(PageArena& arena) {
  for (const PageArena::Block& block : arena.blocks) {
    GivePagesBack(block.at, block.bytes);
    blocks_held.fetch_sub(1);
  }
  std::vector<PageArena::Block>().swap(arena.blocks);
  arena.used = 0;
}

std::size_t PageBlocksHeld() { return blocks_held.load(); }

std::size_t ArenaBytes(const PageArena& arena) {
  std::size_t bytes = 0;
  for (const PageArena::Block& block : arena.blocks) bytes += block.bytes;
  return bytes;
}

}  // namespace os

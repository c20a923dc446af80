// Items in chunks taken from a page arena, for lists of a million: appended
// one at a time without moving any, found by position at once, and given back
// with the arena. Not guarded: one thread at a time, or readers only.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <vector>

#include "os/page_arena.h"

namespace os {

template <typename T>
struct ChunkedArray {
  static_assert(std::is_trivially_copyable<T>::value && std::is_trivially_destructible<T>::value,
                "the arena frees chunks without running destructors");
  static constexpr std::size_t kPerChunk = 4096;
  std::vector<T*> chunks;  // kPerChunk items each, in the owner's arena
  std::size_t count = 0;
};

template <typename T>
T& ItemAt(const ChunkedArray<T>& items, std::size_t at) {
  return items.chunks[at / ChunkedArray<T>::kPerChunk][at % ChunkedArray<T>::kPerChunk];
}

// Room for `count` items in all, in the list of chunks: the chunks themselves
// are taken as items come.
template <typename T>
void ReserveItems(ChunkedArray<T>& items, std::size_t count) {
  items.chunks.reserve((count + ChunkedArray<T>::kPerChunk - 1) / ChunkedArray<T>::kPerChunk);
}

// Makes sure the next item has its place: throws std::bad_alloc, the items as
// they were, when memory runs out. AppendItem after it cannot fail.
template <typename T>
void MakeRoomForItem(ChunkedArray<T>& items, PageArena& arena) {
  if (items.count < items.chunks.size() * ChunkedArray<T>::kPerChunk) return;
  items.chunks.reserve(items.chunks.size() + 1);
  items.chunks.push_back(static_cast<T*>(ArenaTake(arena, ChunkedArray<T>::kPerChunk * sizeof(T), alignof(T))));
}

template <typename T>
T& AppendItem(ChunkedArray<T>& items, PageArena& arena, const T& item) {
  MakeRoomForItem(items, arena);
  T* place = &items.chunks[items.count / ChunkedArray<T>::kPerChunk][items.count % ChunkedArray<T>::kPerChunk];
  ++items.count;
  return *new (place) T(item);
}

// Forgets every item; their chunks go back when the owner releases its arena.
template <typename T>
void ForgetItems(ChunkedArray<T>& items) {
  std::vector<T*>().swap(items.chunks);
  items.count = 0;
}

}  // namespace os

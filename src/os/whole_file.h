// Reading a file from start to end: in chunks, or whole into memory.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "os/file.h"

namespace os {

// One read request, made as ReadChunk makes it (the tests hand in one that
// fails where they want).
using ChunkRead = bool (*)(FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* delivered);

// Reads `file` to its end in chunks of up to 64 KiB, handing each to `take`,
// and stops early when `take` returns false. Returns false on a read error.
bool ReadInChunks(FileHandle file, const std::function<bool(std::string_view)>& take, ChunkRead read = ReadChunk);

// Reads every byte of an existing file, opened as OpenForReading opens it.
// Memory grows with the file: at most about twice its size while reading.
// Returns false, with *bytes empty, when the file cannot be opened or read or
// does not fit in memory.
bool ReadWholeFile(const std::wstring& path, std::string* bytes, ChunkRead read = ReadChunk);

}  // namespace os

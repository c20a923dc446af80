// Files as the engine and the stored formats see them: opened by a wide path,
// read in requests of the caller's size, closed. Win32 and POSIX implement it.
#pragma once

#include <cstdint>
#include <string>

namespace os {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Opens an existing file read-only, sharing it for reading only: a file that
// another program holds open for writing cannot be opened. Folders cannot be
// opened either. Returns kNoFile on any failure.
FileHandle OpenForReading(const std::wstring& path);

// One read request of up to `size` bytes. Sets *delivered to the bytes read
// (0 at the end of the file). Returns false when the system reports an error;
// *delivered is 0 then.
bool ReadChunk(FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* delivered);

void CloseFile(FileHandle file);

}  // namespace os

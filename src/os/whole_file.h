// Reading a whole (small) file into memory.
#pragma once

#include <string>

namespace os {

// Reads every byte of an existing file, opened as OpenForReading opens it.
// Memory grows with the file: at most about twice its size while reading.
// Returns false, with *bytes empty, when the file cannot be opened or read or
// does not fit in memory.
bool ReadWholeFile(const std::wstring& path, std::string* bytes);

}  // namespace os

// Helpers shared by the stored-format tests.
#pragma once

#include <filesystem>
#include <string>

#include "os/whole_file.h"

// The bytes of a file, or "<missing>" when it cannot be read.
std::string FileBytes(const std::filesystem::path& path);

// The names in a folder, sorted, one per line: shows stray temporary files.
std::string FolderListing(const std::filesystem::path& folder);

// Reads as the system does, but fails the piece numbered g_failing_read (the
// second unless told); counts its calls in g_reads.
extern int g_reads;
extern int g_failing_read;
bool FailingRead(os::FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* delivered);

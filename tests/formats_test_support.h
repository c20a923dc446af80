// Helpers shared by the stored-format tests.
#pragma once

#include <filesystem>
#include <string>

// The bytes of a file, or "<missing>" when it cannot be read.
std::string FileBytes(const std::filesystem::path& path);

// The names in a folder, sorted, one per line: shows stray temporary files.
std::string FolderListing(const std::filesystem::path& folder);

// The digest of bytes held in memory, as the tests' truth for files and texts.
#pragma once

#include <cstdint>
#include <string>

// The digest text of exactly `length` bytes; a negative length counts as 0.
std::wstring DigestOfBuffer(const void* bytes, std::int32_t length);

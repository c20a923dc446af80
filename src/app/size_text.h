#pragma once

#include <cstdint>
#include <string>

// The Size column's text: bytes below 1 KB (negative sizes read as unsigned),
// else KB, MB, GB or TB with two decimals, half-way rounding up; "" from 1024 TB.
std::wstring SizeText(std::int64_t size);

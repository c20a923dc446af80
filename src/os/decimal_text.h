// Decimal numbers as text, without the printf machinery that std::to_wstring
// brings into the executable with it.
#pragma once

#include <cstdint>
#include <string>

namespace os {

std::wstring DecimalText(std::uint64_t value);

}  // namespace os

#pragma once

#include <string>

// The digest of a typed text: over its bytes in the system's 8-bit code page
// (characters it lacks take their best-fit or default stand-in), never over
// the wide text itself. Line breaks are hashed as the text holds them (CR LF
// in an editor's text); no terminating zero.
std::wstring DigestOfText(const std::wstring& text);

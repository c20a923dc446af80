#include "windows/text_digest.h"

#include <algorithm>

#include "engine/md5_digest.h"
#include "os/codepage.h"

std::wstring DigestOfText(const std::wstring& text) {
  const std::string bytes = os::WideToAnsi(text);
  Md5Digest digest;
  digest.Start();
  // Fed in pieces, since Add takes a 32-bit length and a text may be longer.
  for (std::size_t at = 0; at < bytes.size(); at += 1u << 30) {
    const std::size_t n = std::min<std::size_t>(bytes.size() - at, 1u << 30);
    digest.Add(bytes.data() + at, static_cast<std::uint32_t>(n));
  }
  return digest.Finish();
}

#include "engine_test_support.h"

#include "engine/md5_digest.h"

std::wstring DigestOfBuffer(const void* bytes, std::int32_t length) {
  Md5Digest digest;
  digest.Start();
  digest.Add(bytes, length > 0 ? static_cast<std::uint32_t>(length) : 0);
  return digest.Finish();
}

// Win32 only: paths of any length for the classic file API.
#pragma once

#include <string>

namespace os {

enum class LongPathForm {
  // Only where the classic API needs it: a short path comes back unchanged,
  // and so does one that cannot be resolved, so that the call it is for
  // reports the error.
  kWhenNeeded,
  // At any length, for callers that make other names from the result (a
  // temporary file beside it, a rename's native name); empty when the path
  // cannot be resolved.
  kAlways,
};

// `path` in extended-length form ("\\?\C:\...", "\\?\UNC\server\share\..."
// or "\\?\" in place of a device path's "\\.\"), made absolute and with "/"
// turned into "\" since that form is taken literally. A path already in that
// form comes back as it is.
std::wstring ExtendedLengthPath(const std::wstring& path, LongPathForm form = LongPathForm::kWhenNeeded);

// Whether the classic API takes `path` as it is: kWhenNeeded leaves it so.
bool ShortEnoughForClassicApi(const std::wstring& path);

}  // namespace os

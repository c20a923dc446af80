#include "app/save_checksum_list.h"

#include "app/file_list.h"
#include "formats/checksum_list.h"
#include "ui/requester.h"

void SaveChecksumList() {
  // The rows as they stand when the command is chosen, before the requester.
  const std::wstring text = ChecksumListTextOf(TheFileRows());
  const std::wstring chosen = SaveFileRequester(L"Save", L"", L"MD5 File|*.md5");
  if (chosen.empty()) return;
  // A failed save must not look like success; the old file stays as it was.
  if (!WriteChecksumListText(WithMd5Extension(chosen), text))
    MessageRequester(L"Error", L"Could not save the checksum list.");
}

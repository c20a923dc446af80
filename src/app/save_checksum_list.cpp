// Save MD5: the ticked, hashed rows as a checksum list file.
// The commands are wired into the event loop; their work is still to be written.
#include "app/save_checksum_list.h"

void SaveChecksumList() {}

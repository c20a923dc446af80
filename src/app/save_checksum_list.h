// Save MD5: the ticked, hashed rows as a checksum list file.
#pragma once

#include <string>

// Menu event 4: save requester, then the file.
void SaveChecksumList();

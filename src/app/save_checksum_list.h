// Save MD5: the ticked, hashed rows as a checksum list file.
#pragma once

#include <string>

// Menu event 4: save requester, then the file; a message box titled "Error"
// when the file cannot be written.
void SaveChecksumList();

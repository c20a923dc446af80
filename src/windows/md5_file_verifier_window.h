// The MD5 file verifier window (window 2).
#pragma once

#include <string>

// Menu event 9: requester for a checksum list file, then the window on it.
void VerifyMd5File();
// Close request of window 2: ignored while its check runs.
void CloseMd5FileVerifierWindow();
// Gadget 9 (Check): starts the worker that checks every listed file.
void StartVerifyListCheck();

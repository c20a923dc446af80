// The MD5 file verifier window (window 2).
// The commands are wired into the event loop; their work is still to be written.
#include "windows/md5_file_verifier_window.h"

void VerifyMd5File() {}

void CloseMd5FileVerifierWindow() {}

void StartVerifyListCheck() {}

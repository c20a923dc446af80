// The computer kept from sleeping while the program works, and the threads
// that do the work kept at full speed.
#pragma once

namespace os {

// How the system was asked to stay awake.
enum class AwakeKind {
  None,            // it could not be asked (and POSIX is never asked)
  PowerRequest,    // a power request, with the reason shown to `powercfg /requests`
  ExecutionState,  // where power requests fail: a thread that holds the state until released
};

// Asks the system not to sleep for lack of input until LetSystemSleep; the
// display may still turn off. One hold at a time, taken and released by one
// thread (the window thread): the caller counts its work. A second call while
// held changes nothing and tells the kind held.
AwakeKind KeepSystemAwake(const wchar_t* reason);
// Releases the hold, if any; the system may sleep again.
void LetSystemSleep();

// Asks the system to run the calling thread at full speed while the program
// is out of sight (Windows 11's quality of service: High, not Low or
// Eco). Not its priority. Harmless where the system lacks it.
void RunThreadAtFullSpeed();

}  // namespace os

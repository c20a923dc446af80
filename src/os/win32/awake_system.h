// Win32 only: what the computer is kept awake with, apart, so that a test can
// offer less than the system does (Wine's power requests always fail).
#pragma once

#include <windows.h>

#include "os/keep_awake.h"

namespace os {

using PowerCreateFunction = HANDLE(WINAPI*)(PREASON_CONTEXT);
using PowerRequestFunction = BOOL(WINAPI*)(HANDLE, POWER_REQUEST_TYPE);

// Bound at run time from System32, as every function newer than the program's
// oldest Windows is.
struct AwakeSystem {
  PowerCreateFunction create = nullptr;  // PowerCreateRequest
  PowerRequestFunction set = nullptr;    // PowerSetRequest
  PowerRequestFunction clear = nullptr;  // PowerClearRequest
};

const AwakeSystem& SystemAwake();

// KeepSystemAwake with what `system` offers for power requests; the fallback
// is always the system's own. LetSystemSleep releases either.
AwakeKind KeepSystemAwakeWith(const AwakeSystem& system, const wchar_t* reason);

}  // namespace os

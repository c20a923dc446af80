#include "os/keep_awake.h"

namespace os {

// The portable code is only tested here; nothing to keep awake.
AwakeKind KeepSystemAwake(const wchar_t*) { return AwakeKind::None; }
void LetSystemSleep() {}
void RunThreadAtFullSpeed() {}

}  // namespace os

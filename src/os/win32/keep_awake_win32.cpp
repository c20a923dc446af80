#include "os/keep_awake.h"

#include "os/win32/awake_system.h"
#include "os/win32/system_library.h"

namespace os {

namespace {

// The hold: the window thread's alone.
struct AwakeHold {
  AwakeKind kind = AwakeKind::None;
  const AwakeSystem* system = nullptr;  // PowerRequest: whose request it is
  HANDLE request = nullptr;             // PowerRequest
  HANDLE release = nullptr;             // ExecutionState: set to end the holding thread
};

AwakeHold& Hold() {
  static AwakeHold hold;
  return hold;
}

// The execution state belongs to the thread that sets it and ends with it:
// this thread lives exactly as long as the hold. It owns `release` and closes it.
DWORD WINAPI HoldExecutionState(void* release) {
  SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
  WaitForSingleObject(static_cast<HANDLE>(release), INFINITE);
  SetThreadExecutionState(ES_CONTINUOUS);
  CloseHandle(static_cast<HANDLE>(release));
  return 0;
}

bool RequestPower(const AwakeSystem& system, const wchar_t* reason, HANDLE* request) {
  if (!system.create || !system.set || !system.clear) return false;
  REASON_CONTEXT context{};
  context.Version = POWER_REQUEST_CONTEXT_VERSION;
  context.Flags = POWER_REQUEST_CONTEXT_SIMPLE_STRING;
  context.Reason.SimpleReasonString = const_cast<LPWSTR>(reason);
  *request = system.create(&context);
  if (*request == INVALID_HANDLE_VALUE || *request == nullptr) return false;
  if (system.set(*request, PowerRequestSystemRequired)) return true;
  CloseHandle(*request);
  return false;
}

bool HoldOnThread(HANDLE* release) {
  // Its own handle for the thread, which closes it once woken.
  *release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!*release) return false;
  HANDLE thread = CreateThread(nullptr, 0, HoldExecutionState, *release, 0, nullptr);
  if (!thread) {
    CloseHandle(*release);
    return false;
  }
  CloseHandle(thread);
  return true;
}

}  // namespace

const AwakeSystem& SystemAwake() {
  static const AwakeSystem system{SystemFunction<PowerCreateFunction>(L"kernel32.dll", "PowerCreateRequest"),
                                  SystemFunction<PowerRequestFunction>(L"kernel32.dll", "PowerSetRequest"),
                                  SystemFunction<PowerRequestFunction>(L"kernel32.dll", "PowerClearRequest")};
  return system;
}

AwakeKind KeepSystemAwakeWith(const AwakeSystem& system, const wchar_t* reason) {
  AwakeHold& hold = Hold();
  if (hold.kind != AwakeKind::None) return hold.kind;
  if (RequestPower(system, reason, &hold.request)) {
    hold.system = &system;
    hold.kind = AwakeKind::PowerRequest;
  } else if (HoldOnThread(&hold.release)) {
    hold.kind = AwakeKind::ExecutionState;
  }
  return hold.kind;
}

AwakeKind KeepSystemAwake(const wchar_t* reason) { return KeepSystemAwakeWith(SystemAwake(), reason); }

void LetSystemSleep() {
  AwakeHold& hold = Hold();
  if (hold.kind == AwakeKind::PowerRequest) {
    hold.system->clear(hold.request, PowerRequestSystemRequired);
    CloseHandle(hold.request);
  } else if (hold.kind == AwakeKind::ExecutionState) {
    SetEvent(hold.release);  // the thread closes it
  }
  hold = AwakeHold{};
}

void RunThreadAtFullSpeed() {
  using SetInformation = BOOL(WINAPI*)(HANDLE, THREAD_INFORMATION_CLASS, LPVOID, DWORD);
  // Not in the headers for Windows 7: THREAD_POWER_THROTTLING_STATE, its
  // version and the execution-speed bit. Control set and state clear: High.
  struct ThrottlingState {
    ULONG version;
    ULONG control_mask;
    ULONG state_mask;
  };
  static const auto set_information = SystemFunction<SetInformation>(L"kernel32.dll", "SetThreadInformation");
  if (!set_information) return;
  ThrottlingState state{1, 0x1, 0};
  set_information(GetCurrentThread(), ThreadPowerThrottling, &state, sizeof(state));
}

}  // namespace os

/* A stand-in for a system DLL, planted by the loading tests where the program
   must never look for one. Loaded, it leaves a mark beside itself (its own
   path with ".loaded" added) and stays, with a name of its own to look up. It
   imports from kernel32 alone and has no run time, so that nothing else is
   loaded for it. */
#include <windows.h>

__declspec(dllexport) int StandIn(void) { return 1; }

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH + 8];
  DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    lstrcpyW(path + length, L".loaded");
    HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
  }
  return TRUE;
}

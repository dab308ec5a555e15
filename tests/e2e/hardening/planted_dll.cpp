// A DLL that someone might plant beside the installer under a system DLL's name. When it is
// loaded it leaves a marker file beside the program that loaded it, which the test looks for.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH - 32);
  while (length > 0 && path[length - 1] != '\\') --length;
  lstrcpyA(path + length, "planted-dll-was-loaded");
  HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  return TRUE;
}

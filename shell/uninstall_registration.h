// The Add/Remove Programs entry of the installed product.
#pragma once

#include <windows.h>

// An install step: writes "DisplayName" and "UninstallString" under
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\<keyName>. The
// uninstall command is the uninstaller's path as composed; it is stored in quotation marks.
// Nothing is reported: a key or command that cannot be written is left out silently.
void RegisterUninstall(const char* keyName, const char* displayName, const char* uninstallCommand);

// The three registry calls RegisterUninstall makes. They default to the ADVAPI32 functions;
// tests put their own in to watch what happens when the platform refuses.
struct UninstallRegistryCalls {
  LONG(WINAPI* CreateKey)
  (HKEY root, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
   LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
  LONG(WINAPI* SetValue)
  (HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
  LONG(WINAPI* CloseKey)(HKEY key);
};
extern UninstallRegistryCalls g_UninstallRegistryCalls;

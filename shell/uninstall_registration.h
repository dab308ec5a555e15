// The Add/Remove Programs entry of the installed product.
#pragma once

#include <windows.h>

// An install step: writes the entry under
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\<keyName> for the
// product installed in destinationDirectory (a destination after NormalizePath in directory
// form): "DisplayName", "UninstallString" (the uninstaller's path as composed, in quotation
// marks), "DisplayVersion", "Publisher", "InstallLocation" and "DisplayIcon" (the folder and
// the program in backslash form), "EstimatedSize" (the installed files' total in KiB) and
// "NoModify" and "NoRepair" (1). Other values and sub-keys of the key are left alone.
// When a text does not fit or the key or any value cannot be written, "Cannot Write Registry :
// <sub-key path>" is reported; a key that this call made is removed again, so that no half entry
// stays, while a key that was there keeps all its values (never an entry without its name).
void RegisterUninstall(HWND owner, const char* keyName, const char* displayName,
                       const char* destinationDirectory);

// The registry calls RegisterUninstall makes. They default to the ADVAPI32 functions; tests put
// their own in to watch what happens when the platform refuses.
struct UninstallRegistryCalls {
  LONG(WINAPI* CreateKey)
  (HKEY root, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
   LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
  LONG(WINAPI* SetValue)
  (HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
  LONG(WINAPI* CloseKey)(HKEY key);
  LONG(WINAPI* DeleteKey)(HKEY root, LPCSTR subKey);
};
extern UninstallRegistryCalls g_UninstallRegistryCalls;

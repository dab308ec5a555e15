#include "shell/uninstall_registration.h"

#include <string.h>

#include "app/installer_state.h"
#include "shell/uninstall_entry.h"

UninstallRegistryCalls g_UninstallRegistryCalls = {RegCreateKeyExA, RegSetValueExA, RegCloseKey};

namespace {

void SetStringValue(HKEY key, const char* name, const char* text) {
  // The data is the string with its terminating NUL.
  g_UninstallRegistryCalls.SetValue(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                    static_cast<DWORD>(strlen(text) + 1));
}

}  // namespace

void RegisterUninstall(const char* keyName, const char* displayName, const char* uninstallCommand) {
  if (g_Installer.AbortRequested) return;
  char keyPath[kPathBufferSize];
  char command[kUninstallCommandSize];
  // A cut key name would name some other key, and a cut command some other program.
  if (!FormatUninstallKeyPath(keyPath, sizeof keyPath, keyName)) return;
  if (!FormatUninstallCommand(command, sizeof command, uninstallCommand)) return;
  char emptyClass[] = "";
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (g_UninstallRegistryCalls.CreateKey(HKEY_LOCAL_MACHINE, keyPath, 0, emptyClass,
                                         REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                                         &disposition) != ERROR_SUCCESS) {
    // There is no key to write to or to close.
    return;
  }
  SetStringValue(key, "DisplayName", displayName);
  SetStringValue(key, "UninstallString", command);
  g_UninstallRegistryCalls.CloseKey(key);
}

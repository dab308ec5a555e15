#include "shell/uninstall_registration.h"

#include <string.h>

#include "base/installer_state.h"
#include "base/manifest.h"
#include "base/text_format.h"
#include "shell/uninstall_entry.h"

UninstallRegistryCalls g_UninstallRegistryCalls = {RegCreateKeyExA, RegSetValueExA, RegCloseKey,
                                                   RegDeleteKeyA};

namespace {

const char kCannotWriteRegistry[] = "Cannot Write Registry";

// One value of the entry; its name is the one at the same place in kUninstallEntryValueNames.
struct EntryValue {
  DWORD Type;
  const void* Data;
  DWORD Size;
};

// A REG_SZ value: the string with its terminating NUL.
EntryValue Text(const char* text) { return {REG_SZ, text, static_cast<DWORD>(strlen(text) + 1)}; }

EntryValue Number(const DWORD* number) { return {REG_DWORD, number, sizeof *number}; }

// Writes the entry's values below keyPath. Returns 0 when a text does not fit or the key or a
// value cannot be written; a key made by this call is then gone again.
int WriteEntry(const char* keyPath, const char* displayName, const char* destinationDirectory) {
  // A cut text would name some other program or folder: an entry that cannot be written whole
  // is not written at all.
  char uninstaller[kPathBufferSize];
  char command[kUninstallCommandSize];
  char location[kPathBufferSize];
  char icon[kPathBufferSize];
  if (!FormatText(uninstaller, sizeof uninstaller, "%s%s", destinationDirectory,
                  kUninstallerFileName) ||
      !FormatUninstallCommand(command, sizeof command, uninstaller) ||
      !FormatInstalledPath(location, sizeof location, destinationDirectory, "") ||
      !FormatInstalledPath(icon, sizeof icon, destinationDirectory, kProgramFileName)) {
    return 0;
  }
  const DWORD estimatedSize = KibibytesRoundedUp(g_Installer.InstalledBytes);
  const DWORD one = 1;
  // In the order of UninstallEntryValue.
  const EntryValue values[] = {
      Text(displayName),      Text(command),  Text(kProductVersion),
      Text(kPublisherName),   Text(location), Text(icon),
      Number(&estimatedSize), Number(&one),   Number(&one),
  };
  const size_t valueCount = kUninstallEntryValueCount;
  static_assert(sizeof values / sizeof values[0] == valueCount, "one value for every name");

  char emptyClass[] = "";
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (g_UninstallRegistryCalls.CreateKey(HKEY_LOCAL_MACHINE, keyPath, 0, emptyClass,
                                         REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                                         &disposition) != ERROR_SUCCESS) {
    return 0;  // there is no key to write to, to clean or to close
  }
  size_t written = 0;
  while (written < valueCount &&
         g_UninstallRegistryCalls.SetValue(key, kUninstallEntryValueNames[written], 0,
                                           values[written].Type,
                                           static_cast<const BYTE*>(values[written].Data),
                                           values[written].Size) == ERROR_SUCCESS) {
    ++written;
  }
  g_UninstallRegistryCalls.CloseKey(key);
  if (written == valueCount) return 1;
  // Only a key made by this call goes again. A key that was there keeps every value: the ones
  // written replace their older namesakes, and deleting them would leave an earlier
  // installation's entry without its name or command.
  if (disposition == REG_CREATED_NEW_KEY)
    g_UninstallRegistryCalls.DeleteKey(HKEY_LOCAL_MACHINE, keyPath);
  return 0;
}

}  // namespace

void RegisterUninstall(HWND owner, const char* keyName, const char* displayName,
                       const char* destinationDirectory) {
  if (g_Installer.AbortRequested) return;
  char keyPath[kPathBufferSize];
  // The failure names the sub-key, or the key's name where even the sub-key is too long.
  if (!FormatUninstallKeyPath(keyPath, sizeof keyPath, keyName) ||
      !WriteEntry(keyPath, displayName, destinationDirectory)) {
    ReportInstallError(owner, kCannotWriteRegistry, keyPath[0] ? keyPath : keyName);
  }
}

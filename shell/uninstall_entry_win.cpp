#include "shell/uninstall_entry_win.h"

#include <shlobj.h>
#include <string.h>

#include "base/file_identity_win.h"
#include "base/manifest.h"
#include "base/text_format.h"
#include "shell/uninstall_entry.h"

namespace {

// An UninstallString as read back. Ours is at most kUninstallCommandSize - 1 characters; one that
// another program wrote with arguments may be longer and is still read whole.
enum { kRegisteredCommandSize = 1024 };
// An entry too long for the buffer is therefore never ours.
static_assert(static_cast<int>(kRegisteredCommandSize) >= static_cast<int>(kUninstallCommandSize),
              "our own command must fit");

// Whether an entry of the group's folder is one of our two items, as the shell names their links.
int IsOurGroupItem(const char* name) {
  for (const char* title : kGroupItemTitles) {
    char link[kPathBufferSize];
    if (FormatText(link, sizeof link, "%s.lnk", title) && lstrcmpiA(name, link) == 0) return 1;
  }
  return 0;
}

}  // namespace

int FindUninstallEntryOwner(const char* keyPath, const char* folder) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return kEntryWithoutCommand;
  char command[kRegisteredCommandSize];
  DWORD size = sizeof command - 1;
  DWORD type = 0;
  const LONG result = RegQueryValueExA(key, kUninstallEntryValueNames[kEntryUninstallString],
                                       nullptr, &type, reinterpret_cast<BYTE*>(command), &size);
  RegCloseKey(key);
  if (result == ERROR_MORE_DATA) return kEntryOfAnotherFolder;
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
    return kEntryWithoutCommand;
  command[size < sizeof command ? size : sizeof command - 1] = '\0';
  char registered[kPathBufferSize];
  return UninstallCommandFolder(command, registered, sizeof registered) &&
                 SameOnDisk(registered, folder)
             ? kEntryOfThisFolder
             : kEntryOfAnotherFolder;
}

LONG DeleteUninstallEntry(const char* keyPath) {
  HKEY key;
  LONG result =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
  if (result != ERROR_SUCCESS) return result;
  for (const char* name : kUninstallEntryValueNames) {
    const LONG deleted = RegDeleteValueA(key, name);
    if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) result = deleted;
  }
  DWORD subKeys = 0, values = 0;
  if (result == ERROR_SUCCESS)
    result = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                              nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || subKeys != 0 || values != 0) return result;
  return RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
}

int ProgmanGroupHoldsOthers() {
  const int lists[2] = {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS};
  for (int list : lists) {
    char programs[kPathBufferSize], pattern[kPathBufferSize];
    if (!SHGetSpecialFolderPathA(nullptr, programs, list, FALSE)) continue;
    if (!FormatText(pattern, sizeof pattern, "%s\\%s\\*", programs, kProgmanGroupName)) continue;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    int others = 0;
    do {
      others = strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0 &&
               !IsOurGroupItem(found.cFileName);
    } while (!others && FindNextFileA(search, &found));
    FindClose(search);
    if (others) return 1;
  }
  return 0;
}

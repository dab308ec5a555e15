// The Add/Remove Programs entry and the Program Manager group as an installation's uninstaller
// finds them: whose they are, and removing the entry's own values. The installer writes them
// (shell/uninstall_registration.h, shell/progman_dde.h). keyPath is the entry's key below
// HKEY_LOCAL_MACHINE (FormatUninstallKeyPath).
#pragma once

#include <windows.h>

// Which installation the entry (and with it the Program Manager items, which always point at the
// latest installation) belongs to.
enum UninstallEntryOwner {
  kEntryWithoutCommand,  // no entry, or none with an uninstall command: nobody's
  kEntryOfThisFolder,
  kEntryOfAnotherFolder  // another folder, or a command longer than ours can be
};

// Whose the entry is: the folder of its command compared on disk with folder. Asked before
// anything is removed, while both folders still exist.
int FindUninstallEntryOwner(const char* keyPath, const char* folder);

// Deletes the entry's own values; the key goes with them only when nothing else is left in it,
// since another program may keep a value or a sub-key of its own there. Returns the registry's
// result (ERROR_FILE_NOT_FOUND when there is no entry).
LONG DeleteUninstallEntry(const char* keyPath);

// Whether the group's folder in the Start Menu (the user's or the common one) holds anything
// besides the installation's two items.
int ProgmanGroupHoldsOthers();

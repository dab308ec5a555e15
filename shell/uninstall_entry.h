// The texts of the Add/Remove Programs entry: the sub-key path below HKEY_LOCAL_MACHINE, the
// uninstall command as the shell runs it, and the paths it shows. Platform-free, so all can be
// checked anywhere.
#pragma once

#include <stddef.h>

#include "base/text_format.h"

// The values of the entry, in the order the installer writes them. The uninstaller deletes these
// and no others, so that whatever else the key holds stays with it.
enum UninstallEntryValue {
  kEntryDisplayName,
  kEntryUninstallString,
  kEntryDisplayVersion,
  kEntryPublisher,
  kEntryInstallLocation,
  kEntryDisplayIcon,
  kEntryEstimatedSize,
  kEntryNoModify,
  kEntryNoRepair,
  kUninstallEntryValueCount
};
extern const char* const kUninstallEntryValueNames[kUninstallEntryValueCount];

// Size of the quoted command buffer: any path of at most 259 characters, its two quotation marks
// and the terminator.
enum { kUninstallCommandSize = kPathBufferSize + 2 };

// Writes "Software\Microsoft\Windows\CurrentVersion\Uninstall\<keyName>" into out. A path that
// does not fit is refused as a whole: out is left empty and 0 is returned, never a cut key.
int FormatUninstallKeyPath(char* out, size_t size, const char* keyName);

// Writes the command in quotation marks, so that a path with blanks names one program and the
// shell does not try its first word (e.g. "C:\Program.exe") on its own. A command that does not
// fit is refused as a whole: out is left empty and 0 is returned.
int FormatUninstallCommand(char* out, size_t size, const char* command);

// Writes destinationDirectory (a destination after NormalizePath in directory form) followed by
// relativeName in the backslash form that Windows shows, e.g. "C:\Program Files\Pagix\Pagix.exe".
// With an empty relativeName it names the folder itself, without its trailing separator, except
// a drive's root, which keeps it ("C:" alone means the drive's current folder). A path that does
// not fit is refused as a whole: out is left empty and 0 is returned.
int FormatInstalledPath(char* out, size_t size, const char* destinationDirectory,
                        const char* relativeName);

// The folder of the program that command (an "UninstallString" value: a program path, quoted or
// not, with "\\" or "/" between its parts, perhaps followed by arguments when quoted) names:
// everything before the program's name, without separators at its end. Returns 1 when there is
// such a folder and it fitted into out[0..size), 0 otherwise (out then holds an empty text).
int UninstallCommandFolder(const char* command, char* out, size_t size);

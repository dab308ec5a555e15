// The texts of the Add/Remove Programs entry: the sub-key path below HKEY_LOCAL_MACHINE and the
// uninstall command as the shell runs it. Platform-free, so both can be checked anywhere.
#pragma once

#include <stddef.h>

#include "app/text_format.h"

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

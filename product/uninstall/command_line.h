// The uninstaller's command line. Started by the user (from Add/Remove Programs or the program
// group) it has no arguments; it then copies itself to the temporary folder and starts the copy
// with "/copy <handle> "<install folder>"", where handle is an inheritable handle of the original
// process that the copy waits on. Platform-free.
#pragma once

#include <stddef.h>

#include "base/text_format.h"

enum UninstallMode {
  kUninstallStartedByUser,  // the original in the install folder
  kUninstallTemporaryCopy,  // the copy that does the work
  kUninstallBadArguments    // "/copy" with arguments that do not parse
};

struct UninstallArguments {
  int Mode;
  unsigned long OriginalProcess;  // the handle value after "/copy"
  char Folder[kPathBufferSize];   // without a trailing separator
};

// Reads the arguments, the part of the command line after the program name. Anything that does
// not start with "/copy" counts as started by the user: an unquoted program path with spaces
// leaves parts of the path here, and the original never takes a folder from its arguments.
void ParseUninstallArguments(const char* arguments, UninstallArguments* out);

// Size of a buffer that holds the copy's command line (below) for any two paths of at most 259
// characters: the paths, four quotation marks, " /copy ", a handle of up to ten digits, a blank
// and the terminator.
enum { kCopyCommandLineSize = 2 * kPathBufferSize + 32 };

// The copy's full command line: the quoted copy path, "/copy", the handle and the quoted folder
// (trailing separators left off, so that no backslash stands before the closing quote). Returns
// 1 when it fitted into out[0..size), 0 otherwise.
int FormatCopyCommandLine(char* out, size_t size, const char* copyPath,
                          unsigned long originalProcess, const char* folder);

// Whether text[0..length) is name (plain ASCII text), with the letters A to Z in any case. A
// double-byte character never matches: its lead byte is no ASCII character.
int IsNameIgnoringCase(const char* text, size_t length, const char* name);

// The temporary copy's path: tempFolder (ending in a separator, as GetTempPath gives it)
// followed by "pagix-uninstall-<process>-<attempt>.exe". Returns 0 when it does not fit.
int FormatTemporaryCopyPath(char* out, size_t size, const char* tempFolder, unsigned long process,
                            int attempt);

// 1 when name (a file name without folder) is one that FormatTemporaryCopyPath makes, in any
// letter case: such a file in the temporary folder is a copy left by an earlier run.
int IsTemporaryCopyName(const char* name);

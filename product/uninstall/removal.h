// What the uninstaller removes, in which order, and the one report of what it could not remove.
// The file system is reached through RemovalOps, so the plan runs the same over Windows and over
// a test's stand-in. Platform-free.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "base/text_format.h"

// What one removal came to.
enum RemovalOutcome {
  kRemovalDone,
  kRemovalAlreadyGone,  // nothing of that name exists: not an error
  kRemovalNotEmpty,     // a folder that still holds something: kept, not an error
  kRemovalLeftInPlace,  // the running uninstaller's own file: left for the user, not an error
  kRemovalInUse,        // failures from here on
  kRemovalDenied,
  kRemovalNoAnswer,  // Program Manager did not take the command
  kRemovalFailed
};

struct RemovalReport;

// Called with the name of each entry of a folder ("." and ".." included where the platform
// lists them).
typedef void (*FolderEntryVisitor)(void* visitContext, const char* name);

struct RemovalOps {
  // Each returns a RemovalOutcome; *error receives the platform's error number for a failure.
  int (*RemoveFile)(void* context, const char* path, unsigned long* error);
  int (*RemoveFolder)(void* context, const char* path, unsigned long* error);
  // The CRC-32 of the file's bytes into *crc (kRemovalDone), or why it cannot be read.
  int (*FileChecksum)(void* context, const char* path, uint32_t* crc, unsigned long* error);
  // Visits the name of every entry of the folder; returns kRemovalDone when it could be listed.
  int (*ListFolder)(void* context, const char* path, FolderEntryVisitor visit, void* visitContext);
  // The Program Manager items, then the Add/Remove Programs entry; each adds its own failures to
  // the report. Null when they belong to another installation.
  void (*RemoveGroupItems)(void* context, RemovalReport* report);
  void (*RemoveEntry)(void* context, RemovalReport* report);
  void* Context;
};

enum { kRemovalLinesSize = 1536 };

struct RemovalReport {
  int FailureCount;  // every failure
  int ListedCount;   // failures whose line fitted into Lines
  size_t Length;
  char Lines[kRemovalLinesSize];  // one "what (why)" line per listed failure
  int KeptCount;                  // files kept because they are no longer what was installed
  int KeptListed;                 // of those, the ones whose path fitted into Kept
  size_t KeptLength;
  char Kept[kRemovalLinesSize];  // one path per line
  // The folder of an uninstaller that ran from it and left its own file there; empty otherwise.
  char LeftFolder[kPathBufferSize];
  // Something failed before the entry's turn: the entry and the uninstaller stay for another run.
  int UninstallerStays;
};

// The longest message FormatRemovalReport writes, terminator included.
enum { kRemovalMessageSize = 2 * kRemovalLinesSize + 1024 };

void StartRemovalReport(RemovalReport* report);

// Records one failure: what names the path (or the group, or the registry key), outcome says why.
void AddRemovalFailure(RemovalReport* report, const char* what, int outcome, unsigned long error);

// Records a file that is kept because its bytes are not what the installer wrote.
void AddKeptFile(RemovalReport* report, const char* path);

// The message for the user: what could not be removed, or that the product was removed when
// nothing failed and the uninstaller did not stay in place; then what was kept on purpose, then
// the uninstaller and its folder when they were left.
void FormatRemovalReport(const RemovalReport* report, char* out, size_t size);

// folder + "\" + relative, with every "/" of relative turned into "\". Returns 0 when the path
// would not fit into out[0..size) (out then holds an empty text).
int ComposeInstalledPath(char* out, size_t size, const char* folder, const char* relative);

// Whether folder (given without a trailing separator) holds an installed file of the manifest
// that is still as installed: its CRC-32 is its entry in the checksum record
// (record[0..recordSize)), which has none for the uninstaller. Only ops->FileChecksum is called.
int HoldsInstalledFile(const char* folder, const uint8_t* record, size_t recordSize,
                       const RemovalOps* ops);

// Removes the installed files of the manifest below folder (given without a trailing separator)
// but the uninstaller, then the group's items, then, only when nothing has failed so far, the
// entry and the uninstaller's own file (so that a second run finds what is left), then the
// sub-folders and the folder itself where they are empty. A file whose CRC-32 differs from its
// entry in the checksum record (record[0..recordSize), see FindRecordedChecksum), or that has
// no entry, is the user's now: it is kept and named in the report, which is no failure. Only
// the uninstaller's own file, which cannot carry its own checksum, is removed unchecked; when
// its removal answers kRemovalLeftInPlace, the report names it and the folder as left. Once the
// folder is gone, its parent goes too when it is the maker's folder of the default destination
// (named "Marrowby", in any letter case, and neither a drive's root nor a share). A folder
// whose removal fails is named only while it holds nothing but the installation's own (for the
// maker's folder: nothing); otherwise it stays without a message, whatever the error. Every
// other failure goes into the report and the removal goes on with the rest.
void RemoveInstalledProduct(const char* folder, const uint8_t* record, size_t recordSize,
                            const RemovalOps* ops, RemovalReport* report);

// What the uninstaller removes, in which order, and the one report of what it could not remove.
// The file system is reached through RemovalOps, so the plan runs the same over Windows and over
// a test's stand-in. Platform-free.
#pragma once

#include <stddef.h>

// What one removal came to.
enum RemovalOutcome {
  kRemovalDone,
  kRemovalAlreadyGone,  // nothing of that name exists: not an error
  kRemovalNotEmpty,     // a folder that still holds something: kept, not an error
  kRemovalInUse,        // failures from here on
  kRemovalDenied,
  kRemovalNoAnswer,  // Program Manager did not take the command
  kRemovalFailed
};

struct RemovalOps {
  // Each returns a RemovalOutcome; *error receives the platform's error number for a failure.
  int (*RemoveFile)(void* context, const char* path, unsigned long* error);
  int (*RemoveFolder)(void* context, const char* path, unsigned long* error);
  void* Context;
};

enum { kRemovalLinesSize = 1536 };

struct RemovalReport {
  int FailureCount;  // every failure
  int ListedCount;   // failures whose line fitted into Lines
  size_t Length;
  char Lines[kRemovalLinesSize];  // one "what (why)" line per listed failure
};

void StartRemovalReport(RemovalReport* report);

// Records one failure: what names the path (or the group, or the registry key), outcome says why.
void AddRemovalFailure(RemovalReport* report, const char* what, int outcome, unsigned long error);

// The message for the user, or an empty text when nothing failed.
void FormatRemovalReport(const RemovalReport* report, char* out, size_t size);

// folder + "\" + relative, with every "/" of relative turned into "\". Returns 0 when the path
// would not fit into out[0..size) (out then holds an empty text).
int ComposeInstalledPath(char* out, size_t size, const char* folder, const char* relative);

// Removes the installed files of the manifest below folder (given without a trailing separator),
// then the sub-folders and the folder itself where they are empty. A folder that still holds
// something (a file of the user's own, or one that could not be removed) stays without a
// message; every failure goes into the report and the removal goes on with the rest.
void RemoveInstalledProduct(const char* folder, const RemovalOps* ops, RemovalReport* report);

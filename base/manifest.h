// What the installer installs: the payload items in the order they are written, the folders,
// names and texts of the install sequence. Platform-free, so the build and the tests use the
// very same list.
#pragma once

#include <stdint.h>

struct PayloadManifestRow {
  int ResourceId;
  const char* RelativePath;
  int Compressed;  // 1: LZHUF item, 0: stored item
  int Weight;      // percent the progress indicator advances after the item
};

enum {
  kPayloadItemCount = 18,
  kSubFolderCount = 5,
  kGroupItemCount = 2  // Pagix and its uninstaller
};

extern const PayloadManifestRow kInstallManifest[kPayloadItemCount];
extern const char* const kSubFolderNames[kSubFolderCount];

extern const char kProgramFileName[];       // "Pagix.exe"
extern const char kUninstallerFileName[];   // "uninstall.exe"
extern const char kProgramItemTitle[];      // "Pagix"
extern const char kUninstallerItemTitle[];  // "uninstall Pagix"
extern const char kProgmanGroupName[];      // "Marrowby"
extern const char kUninstallKeyName[];      // "Pagix"
extern const char kUninstallDisplayName[];  // "Pagix " and the product's version
extern const char kProductVersion[];        // the product's version, as "0.9d"
extern const char kPublisherName[];         // "Marrowby"
extern const char kLaunchQuestion[];        // "Run Pagix now?"

// The Program Manager group's items: file name i with title i.
extern const char* const kGroupItemFiles[kGroupItemCount];
extern const char* const kGroupItemTitles[kGroupItemCount];

// The longest relative name that the installer appends to the destination directory.
int LongestInstalledRelativeName();

// A size in bytes as whole KiB, rounded up (so that a file of one byte counts), as the
// installed size is shown: in the Add/Remove Programs entry and in the free-space refusal. Sizes
// beyond 4 TiB show as 0xFFFFFFFF.
uint32_t KibibytesRoundedUp(uint64_t bytes);

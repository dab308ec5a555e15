// What an installation leaves behind (files, uninstall entry, Start Menu group, windows) as the
// user would find it, and the clean-up that puts the machine back as it was before.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/installation_support.h"
#include "tests/support/wine_test_support.h"

namespace pagix_e2e {

// The shared registry readers and traces of an installation, by their short names.
using pagix_test::CloseGroupWindow;
using pagix_test::CommonProgramsFolder;
using pagix_test::kUninstallKey;
using pagix_test::kUninstallKeyIn64BitView;
using pagix_test::kUninstallKeyView;
using pagix_test::ProgramsGroupFolder;
using pagix_test::ReadRegistryValue;
using pagix_test::RegistryKeyExists;
using pagix_test::RegistryValue;
using pagix_test::RegistryValueNames;
using pagix_test::RunsUnderWow64;

// The installed tree below the destination folder, as the user finds it.
extern const char* const kInstalledFiles[18];
extern const char* const kInstalledFolders[5];

// Differences between the installed files below destination (a folder, no trailing separator)
// and the product's own copies below productDir; empty when every file is byte-identical.
std::vector<std::string> CompareInstalledFiles(const std::string& destination,
                                               const std::string& productDir);
// The installed files' total in bytes, from the product's own copies below productDir.
uint64_t ProductFileBytes(const std::string& productDir);
// The room a new installation takes on a volume whose allocation unit is unitBytes: each file
// in whole units, and one unit for the destination folder and for each of its folders.
uint64_t ProductRoomInUnits(const std::string& productDir, uint64_t unitBytes);

// The uninstall entry that the installer wrote, from the registry's 32-bit view.
struct UninstallEntry {
  bool Exists = false;
  std::string DisplayName;
  std::string UninstallString;
};
UninstallEntry ReadUninstallEntry();

// Removes everything an installation may have left: the destination folder (and its parent
// when given and empty), the uninstall entry, the group folders, the group window and a
// running product.
void RemoveInstallation(const std::string& destination, const std::string& emptyParent = "");

}  // namespace pagix_e2e

#include "tests/e2e/install_outcome.h"

#include <algorithm>
#include <iterator>

#include "base/manifest.h"
#include "tests/e2e/installer_driver.h"
#include "tests/support/wine_test_support.h"

namespace pagix_e2e {

const char* const kInstalledFiles[18] = {
    "Pagix.exe",           "uninstall.exe",
    "Pagix.def",           "LANG/English.zip",
    "Pagix.psk",           "Pagix_dicon.gif",
    "Pagix_ficon.gif",     "DICTIONARY/Webster 1913 - Micro.zip",
    "PF1/Pagix.pf2",       "PGN/Pagix_books.def",
    "SKINS/Back.jpg",      "SKINS/Book.jpg",
    "SKINS/Book.psk",      "SKINS/BookMenu.bmp",
    "SKINS/BookStart.psk", "SKINS/Simple.psk",
    "SKINS/Space.bmp",     "SKINS/Space.psk",
};

const char* const kInstalledFolders[5] = {"DICTIONARY", "PF1", "PGN", "SKINS", "LANG"};

std::vector<std::string> CompareInstalledFiles(const std::string& destination,
                                               const std::string& productDir) {
  std::vector<std::string> problems;
  for (const char* relative : kInstalledFiles) {
    const std::string installed = destination + "\\" + Backslashed(relative);
    const std::string source = productDir + "\\" + Backslashed(relative);
    if (!pagix_test::FileExists(source)) {
      problems.push_back(std::string(relative) + ": the product's copy " + source + " is missing");
      continue;
    }
    if (!pagix_test::FileExists(installed)) {
      problems.push_back(std::string(relative) + ": not installed");
      continue;
    }
    std::vector<unsigned char> expected = pagix_test::ReadWholeFile(source);
    std::vector<unsigned char> actual = pagix_test::ReadWholeFile(installed);
    if (expected != actual) {
      auto differ = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
      problems.push_back(std::string(relative) + ": " + std::to_string(actual.size()) +
                         " bytes installed, " + std::to_string(expected.size()) +
                         " expected, first difference at byte " +
                         std::to_string(differ.first - expected.begin()));
    }
  }
  return problems;
}

uint64_t ProductFileBytes(const std::string& productDir) {
  uint64_t bytes = 0;
  for (const char* relative : kInstalledFiles) {
    bytes += pagix_test::ReadWholeFile(productDir + "\\" + Backslashed(relative)).size();
  }
  return bytes;
}

uint64_t ProductRoomInUnits(const std::string& productDir, uint64_t unitBytes) {
  uint64_t units = 1 + std::size(kInstalledFolders);
  for (const char* relative : kInstalledFiles) {
    const uint64_t bytes =
        pagix_test::ReadWholeFile(productDir + "\\" + Backslashed(relative)).size();
    units += (bytes + unitBytes - 1) / unitBytes;
  }
  return units * unitBytes;
}

UninstallEntry ReadUninstallEntry() {
  UninstallEntry entry;
  entry.Exists = RegistryKeyExists(kUninstallKey, kUninstallKeyView);
  entry.DisplayName = ReadRegistryValue(kUninstallKey, "DisplayName", kUninstallKeyView).Text();
  entry.UninstallString =
      ReadRegistryValue(kUninstallKey, "UninstallString", kUninstallKeyView).Text();
  return entry;
}

void RemoveInstallation(const std::string& destination, const std::string& emptyParent) {
  CloseWindowsCaptioned(kProductWindowTitle, true);
  CloseWindowsCaptioned(kProgmanGroupName, false);
  if (!destination.empty()) pagix_test::RemoveTree(destination);
  if (!emptyParent.empty()) RemoveDirectoryA(emptyParent.c_str());
  // This program's registry calls go to the view of its build, as the installer's do.
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
  pagix_test::RemoveTree(ProgramsGroupFolder());
  pagix_test::RemoveTree(CommonProgramsFolder() + "\\" + kProgmanGroupName);
}

}  // namespace pagix_e2e

#include "tests/e2e/install_outcome.h"

#include <shlobj.h>

#include <algorithm>

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

namespace {

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
  return path;
}

}  // namespace

std::string UserProgramsFolder() { return SpecialFolder(CSIDL_PROGRAMS); }
std::string CommonProgramsFolder() { return SpecialFolder(CSIDL_COMMON_PROGRAMS); }

std::string GroupFolder() { return UserProgramsFolder() + "\\" + kGroupName; }

RegistryValue UninstallEntry::Value(const std::string& name) const {
  for (const auto& [valueName, value] : Values) {
    if (valueName == name) return value;
  }
  return RegistryValue();
}

bool RunsUnderWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

bool RegistryKeyExists(const char* keyPath, REGSAM view) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

UninstallEntry ReadUninstallEntry() {
  UninstallEntry entry;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_32KEY, &key) !=
      ERROR_SUCCESS) {
    return entry;
  }
  entry.Exists = true;
  char name[256];
  unsigned char data[1024];
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = sizeof name;
    DWORD size = sizeof data - 1;
    RegistryValue value;
    if (RegEnumValueA(key, i, name, &nameLength, nullptr, &value.Type, data, &size) !=
        ERROR_SUCCESS) {
      break;
    }
    value.Present = true;
    if (value.Type == REG_DWORD && size == 4) {
      value.Number = static_cast<DWORD>(data[0] | data[1] << 8 | data[2] << 16) |
                     static_cast<DWORD>(data[3]) << 24;
    } else {
      // The stored data of a string includes its terminating NUL.
      value.Text = std::string(reinterpret_cast<char*>(data),
                               size > 0 && data[size - 1] == '\0' ? size - 1 : size);
    }
    entry.Values.emplace_back(name, value);
  }
  RegCloseKey(key);
  const RegistryValue displayName = entry.Value("DisplayName");
  entry.DisplayName = displayName.Text;
  entry.DisplayNameType = displayName.Type;
  const RegistryValue uninstallString = entry.Value("UninstallString");
  entry.UninstallString = uninstallString.Text;
  entry.UninstallStringType = uninstallString.Type;
  return entry;
}

bool CloseGroupWindowWhenShown() {
  if (!WaitUntil([] { return FindTopLevel(kGroupName) != nullptr; })) return false;
  CloseWindowsCaptioned(kGroupName, false);
  return true;
}

void RemoveInstallation(const std::string& destination, const std::string& emptyParent) {
  CloseWindowsCaptioned(kProductWindowTitle, true);
  CloseWindowsCaptioned(kGroupName, false);
  if (!destination.empty()) pagix_test::RemoveTree(destination);
  if (!emptyParent.empty()) RemoveDirectoryA(emptyParent.c_str());
  // A 32-bit program's registry calls go to the 32-bit view, as the installer's do.
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
  pagix_test::RemoveTree(UserProgramsFolder() + "\\" + kGroupName);
  pagix_test::RemoveTree(CommonProgramsFolder() + "\\" + kGroupName);
}

}  // namespace pagix_e2e

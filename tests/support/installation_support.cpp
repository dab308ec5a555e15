#include "tests/support/installation_support.h"

#include <shlobj.h>

#include <cstring>

#include "base/manifest.h"
#include "tests/support/wine_test_support.h"

namespace pagix_test {
namespace {

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
  return path;
}

}  // namespace

std::string UserProgramsFolder() { return SpecialFolder(CSIDL_PROGRAMS); }
std::string CommonProgramsFolder() { return SpecialFolder(CSIDL_COMMON_PROGRAMS); }
std::string ProgramsGroupFolder() { return UserProgramsFolder() + "\\" + kProgmanGroupName; }

bool CloseGroupWindow() {
  if (!WaitUntil([] { return FindTopLevel(kProgmanGroupName) != nullptr; })) return false;
  CloseWindowsCaptioned(kProgmanGroupName, false);
  return true;
}

HWND FindUninstallerBox() {
  // The uninstaller's caption: the product's name and "Uninstall".
  const std::string caption = std::string(kUninstallDisplayName) + " Uninstall";
  return FindWindowA("#32770", caption.c_str());
}

HWND WaitForUninstallerBox(HWND other) {
  return WaitForWindow([other]() -> HWND {
    HWND box = FindUninstallerBox();
    return box && box != other && IsWindowVisible(box) ? box : nullptr;
  });
}

std::vector<std::string> UninstallerTemporaryCopies() {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  std::vector<std::string> copies;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((std::string(temp) + "pagix-uninstall-*.exe").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return copies;
  do {
    copies.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return copies;
}

std::string EnvironmentWithoutTemporaryFolder(const std::string& missing) {
  std::string block;
  char* strings = GetEnvironmentStringsA();
  for (const char* entry = strings; *entry; entry += std::strlen(entry) + 1) {
    if (_strnicmp(entry, "TMP=", 4) && _strnicmp(entry, "TEMP=", 5))
      block += std::string(entry) + '\0';
  }
  FreeEnvironmentStringsA(strings);
  return block + "TMP=" + missing + '\0' + "TEMP=" + missing + '\0';
}

}  // namespace pagix_test

#include "paths/create_destination_folder.h"

#include <string.h>

#include "base/installer_state.h"
#include "base/text_format.h"
#include "paths/path_text.h"

DestinationFolderCalls g_DestinationFolderCalls;

namespace {

// The requested folder and up to eleven ancestors are created in one call.
const int kMaxMissingFolders = 12;
const char kCreateQuestion[] = "Create Destination";
const char kCannotCreate[] = "Cannot Create Directory";

BOOL EnterFolder(const char* path) {
  if (g_DestinationFolderCalls.SetCurrentDirectoryCall)
    return g_DestinationFolderCalls.SetCurrentDirectoryCall(path);
  return SetCurrentDirectoryA(path);
}

BOOL MakeFolder(const char* path) {
  if (g_DestinationFolderCalls.CreateDirectoryCall)
    return g_DestinationFolderCalls.CreateDirectoryCall(path, nullptr);
  return CreateDirectoryA(path, nullptr);
}

int FitsPathBuffer(const char* path) {
  size_t length = 0;
  while (length < kPathBufferSize && path[length] != '\0') ++length;
  return length < kPathBufferSize;
}

}  // namespace

void CreateDestinationFolder(HWND owner, const char* path, int confirm) {
  if (g_Installer.AbortRequested) return;
  if (!FitsPathBuffer(path)) {
    ReportInstallError(owner, kCannotCreate, path);
    return;
  }
  if (EnterFolder(path)) return;
  if (confirm && MessageBoxA(owner, kCreateQuestion, InstallerTitle(),
                             MB_ICONQUESTION | MB_OKCANCEL) != IDOK) {
    g_Installer.AbortRequested = 1;
    return;
  }
  char missing[kMaxMissingFolders][kPathBufferSize];
  char climb[kPathBufferSize];
  CopyText(missing[0], sizeof missing[0], path);
  int count = 1;
  SplitPath(path, climb, nullptr);
  // Climb until an ancestor can be entered; that one stays the current directory.
  while (!EnterFolder(climb) && count < kMaxMissingFolders) {
    CopyText(missing[count], sizeof missing[count], climb);
    ++count;
    SplitPath(climb, climb, nullptr);
  }
  while (count > 0) {
    --count;
    if (!MakeFolder(missing[count])) {
      ReportInstallError(owner, kCannotCreate, missing[count]);
      return;
    }
  }
}

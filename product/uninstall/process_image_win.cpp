#include "product/uninstall/process_image_win.h"

#include <string.h>
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include "base/file_identity_win.h"
#include "base/path_scan.h"
#include "base/system_library.h"
#include "base/text_format.h"

namespace {

// Declared only for Windows Vista and later, where it answers for processes of either width.
typedef BOOL(WINAPI* QueryImageNameFunction)(HANDLE, DWORD, LPSTR, PDWORD);
const DWORD kQueryLimitedInformation = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION

// Whether the process was started from path; 1 where its image cannot be read.
int StartedFrom(DWORD processId, const char* path) {
  const QueryImageNameFunction query =
      LoadSystemFunctionAs<QueryImageNameFunction>("kernel32.dll", "QueryFullProcessImageNameA");
  if (!query) return 1;
  HANDLE process = OpenProcess(kQueryLimitedInformation, FALSE, processId);
  if (!process) return 1;
  char image[kPathBufferSize];
  DWORD size = sizeof image;
  const BOOL known = query(process, 0, image, &size);
  CloseHandle(process);
  return !known || lstrcmpiA(image, path) == 0 || SameOnDisk(image, path);
}

}  // namespace

int IsRunningImage(const char* path) {
  size_t nameStart = 0;
  FolderPartLength(path, strlen(path), &nameStart);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  int running = 0;
  for (BOOL more = Process32First(snapshot, &entry); more && !running;
       more = Process32Next(snapshot, &entry)) {
    // Older systems give the image's whole path here, newer ones its name.
    size_t entryName = 0;
    FolderPartLength(entry.szExeFile, strlen(entry.szExeFile), &entryName);
    running = lstrcmpiA(entry.szExeFile + entryName, path + nameStart) == 0 &&
              StartedFrom(entry.th32ProcessID, path);
  }
  CloseHandle(snapshot);
  return running;
}

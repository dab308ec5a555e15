// Stands in for a started program: leaves "<its folder>\launched-<its file name>" holding the
// current directory it was started in, a line break, and the file name of the process that
// started it.
#include <windows.h>

#include "tests/support/parent_process.h"

int main() {
  char self[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  DWORD slash = length;
  while (slash > 0 && self[slash - 1] != '\\') --slash;
  char marker[MAX_PATH + 16];
  lstrcpynA(marker, self, static_cast<int>(slash) + 1);
  lstrcatA(marker, "launched-");
  lstrcatA(marker, self + slash);
  char text[2 * MAX_PATH + 2];
  DWORD textLength = GetCurrentDirectoryA(MAX_PATH, text);
  text[textLength++] = '\n';
  pagix_test::FindParentProcessName(GetCurrentProcessId(), text + textLength, MAX_PATH);
  textLength += static_cast<DWORD>(lstrlenA(text + textLength));
  // Written under another name and then renamed, so the marker appears complete or not at all.
  char partial[MAX_PATH + 24];
  lstrcpyA(partial, marker);
  lstrcatA(partial, ".partial");
  HANDLE file = CreateFileA(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, text, textLength, &written, nullptr);
  CloseHandle(file);
  return MoveFileExA(partial, marker, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

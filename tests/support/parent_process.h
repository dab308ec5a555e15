// Which program started a process: the test programs ask it of what the installer starts.
// Header-only, so that the small stand-in programs need no test library.
#pragma once

#include <windows.h>
// After windows.h, whose types it uses.
#include <tlhelp32.h>

namespace pagix_test {

// The file name (such as "explorer.exe") of the process that started processId, into
// name[0..size); an empty text when either process is gone.
inline void FindParentProcessName(DWORD processId, char* name, int size) {
  name[0] = '\0';
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ProcessID == processId) parent = entry.th32ParentProcessID;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (parent != 0 && entry.th32ProcessID == parent) lstrcpynA(name, entry.szExeFile, size);
  CloseHandle(snapshot);
}

}  // namespace pagix_test

// uninstall.exe: removes Pagix 0.9d again.
//
// Started by the user (no arguments) it copies itself to the temporary folder, starts the copy
// with the install folder and an inheritable handle of itself, and exits, so that the copy can
// remove the original's file too. The copy waits for the original to end, asks once, removes
// the installed files and folders, the Program Manager group and the Add/Remove Programs entry,
// reports in one message what it could not remove, and leaves its own file to be deleted at the
// next restart. When no copy can be started, the original does the same work in place.
//
// Exit codes: 0 removed, 1 the user said No, 2 something could not be removed, 3 bad arguments.
#include <string.h>
#include <windows.h>

#include "app/manifest.h"
#include "app/text_format.h"
#include "product/uninstall/command_line.h"
#include "product/uninstall/progman_execute.h"
#include "product/uninstall/removal.h"
#include "shell/uninstall_entry.h"

namespace {

enum { kExitRemoved = 0, kExitDeclined = 1, kExitIncomplete = 2, kExitBadArguments = 3 };

const DWORD kOriginalExitWaitMs = 15000;  // how long the copy waits for the original to end
const DWORD kProgmanWaitMs = 10000;       // for Program Manager's acknowledgement

struct Win32Removal {
  const char* SelfPath;  // this program's file
  int InPlace;           // this program runs from the install folder
};

int OutcomeForError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return kRemovalAlreadyGone;
    case ERROR_DIR_NOT_EMPTY:
      return kRemovalNotEmpty;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return kRemovalInUse;
    case ERROR_ACCESS_DENIED:
      return kRemovalDenied;
    default:
      return kRemovalFailed;
  }
}

int RemoveFileWin32(void* context, const char* path, unsigned long* error) {
  const Win32Removal* removal = static_cast<const Win32Removal*>(context);
  if (removal->InPlace && lstrcmpiA(path, removal->SelfPath) == 0) {
    // The running program cannot delete its own file; it goes at the next restart.
    if (MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return kRemovalDone;
    *error = GetLastError();
    return kRemovalFailed;
  }
  if (DeleteFileA(path)) return kRemovalDone;
  DWORD code = GetLastError();
  if (code == ERROR_ACCESS_DENIED) {
    // A file the user made read-only is still one of ours.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (attributes & FILE_ATTRIBUTE_READONLY)) {
      SetFileAttributesA(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
      if (DeleteFileA(path)) return kRemovalDone;
      code = GetLastError();
    }
  }
  *error = code;
  const int outcome = OutcomeForError(code);
  return outcome == kRemovalNotEmpty ? kRemovalFailed : outcome;
}

int RemoveFolderWin32(void*, const char* path, unsigned long* error) {
  if (RemoveDirectoryA(path)) return kRemovalDone;
  *error = GetLastError();
  return OutcomeForError(*error);
}

// The folder part of path (everything before its last separator).
void CutToFolder(const char* path, char* out, size_t size) {
  CopyText(out, size, path);
  size_t cut = strlen(out);
  while (cut > 0 && out[cut - 1] != '\\' && out[cut - 1] != '/') --cut;
  while (cut > 0 && (out[cut - 1] == '\\' || out[cut - 1] == '/')) --cut;
  out[cut] = '\0';
}

// Whether the Add/Remove Programs entry (and with it the Program Manager group, which always
// points at the latest installation) belongs to the installation in folder. A missing entry
// counts as ours; an entry that names another folder belongs to another installation.
int RegistrationIsOurs(const char* keyPath, const char* folder) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return 1;
  char command[1024];
  DWORD size = sizeof command - 1;
  DWORD type = 0;
  const LONG result = RegQueryValueExA(key, "UninstallString", nullptr, &type,
                                       reinterpret_cast<BYTE*>(command), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return 1;
  command[size < sizeof command ? size : sizeof command - 1] = '\0';
  return UninstallCommandNamesFolder(command, folder);
}

void RemoveRegistration(const char* folder, RemovalReport* report) {
  char keyPath[kPathBufferSize];
  FormatUninstallKeyPath(keyPath, sizeof keyPath, kUninstallKeyName);
  if (!RegistrationIsOurs(keyPath, folder)) return;

  char command[64];
  FormatText(command, sizeof command, "[DeleteGroup(\"%s\")]", kProgmanGroupName);
  const int answer = ProgmanExecute(command, kProgmanWaitMs);
  // A negative answer comes also when the group is gone already; only silence is reported.
  if (answer != kProgmanAccepted && answer != kProgmanRefused) {
    char what[64];
    FormatText(what, sizeof what, "Program Manager group \"%s\"", kProgmanGroupName);
    AddRemovalFailure(report, what, kRemovalNoAnswer, 0);
  }

  const LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
    char what[kPathBufferSize + 32];
    FormatText(what, sizeof what, "HKEY_LOCAL_MACHINE\\%s", keyPath);
    AddRemovalFailure(report, what, OutcomeForError(static_cast<DWORD>(result)),
                      static_cast<unsigned long>(result));
  }
}

int Uninstall(const char* folder, const char* selfPath, int inPlace) {
  char caption[64], text[1024];
  FormatText(caption, sizeof caption, "%s Uninstall", kUninstallDisplayName);
  FormatText(text, sizeof text, "Remove %s and all of its components?", kUninstallDisplayName);
  const int answer = MessageBoxA(nullptr, text, caption,
                                 MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND);
  if (answer != IDYES) return kExitDeclined;

  static RemovalReport report;
  StartRemovalReport(&report);
  Win32Removal removal = {selfPath, inPlace};
  RemovalOps ops = {RemoveFileWin32, RemoveFolderWin32, &removal};
  RemoveInstalledProduct(folder, &ops, &report);
  if (inPlace) {
    // The folder still holds this program; once it is gone the folder may go too.
    MoveFileExA(folder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  RemoveRegistration(folder, &report);

  if (report.FailureCount == 0) return kExitRemoved;
  static char message[kRemovalLinesSize + 256];
  FormatRemovalReport(&report, message, sizeof message);
  MessageBoxA(nullptr, message, caption, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  return kExitIncomplete;
}

// Copies this program to the temporary folder and starts the copy; returns 1 when it runs.
int StartTemporaryCopy(const char* selfPath, const char* folder) {
  char temp[kPathBufferSize];
  const DWORD length = GetTempPathA(sizeof temp, temp);
  if (length == 0 || length >= sizeof temp) return 0;
  char copy[kPathBufferSize];
  int copied = 0;
  for (int attempt = 0; attempt < 100 && !copied; ++attempt) {
    if (!FormatText(copy, sizeof copy, "%spagix-uninstall-%lu-%d.exe", temp,
                    static_cast<unsigned long>(GetCurrentProcessId()), attempt))
      return 0;
    copied = CopyFileA(selfPath, copy, TRUE);  // never over an older copy
  }
  if (!copied) return 0;

  // An inheritable handle of this process, so the copy can wait for it to end.
  HANDLE original = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &original,
                       SYNCHRONIZE, TRUE, 0)) {
    DeleteFileA(copy);
    return 0;
  }
  char commandLine[3 * kPathBufferSize + 32];
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  int started = FormatCopyCommandLine(
      commandLine, sizeof commandLine, copy,
      static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(original)), folder);
  if (started) {
    AllowSetForegroundWindow(ASFW_ANY);
    started = CreateProcessA(copy, commandLine, nullptr, nullptr, TRUE, 0, nullptr, temp, &startup,
                             &process);
  }
  CloseHandle(original);
  if (!started) {
    DeleteFileA(copy);
    return 0;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  char self[kPathBufferSize];
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  if (length == 0 || length >= sizeof self) return kExitBadArguments;

  static UninstallArguments parsed;
  ParseUninstallArguments(arguments, &parsed);
  if (parsed.Mode == kUninstallBadArguments) return kExitBadArguments;

  if (parsed.Mode == kUninstallStartedByUser) {
    char folder[kPathBufferSize];
    CutToFolder(self, folder, sizeof folder);
    if (StartTemporaryCopy(self, folder)) return kExitRemoved;
    return Uninstall(folder, self, 1);
  }

  // The temporary copy: let the original end first, so that its file can be deleted.
  HANDLE original = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(parsed.OriginalProcess));
  WaitForSingleObject(original, kOriginalExitWaitMs);
  CloseHandle(original);
  char temp[kPathBufferSize];
  const DWORD tempLength = GetTempPathA(sizeof temp, temp);
  if (tempLength > 0 && tempLength < sizeof temp) SetCurrentDirectoryA(temp);

  const int result = Uninstall(parsed.Folder, self, 0);
  // This copy goes at the next restart (that needs administrator rights; otherwise it stays).
  MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return result;
}

// uninstall.exe: removes Pagix 0.9d again.
//
// Started by the user (no arguments) from its installation folder it copies itself to the
// temporary folder, starts the copy with the install folder and an inheritable handle of itself,
// and exits, so that the copy can remove the original's file too. The copy waits for the
// original to end, asks once, waits while this installation's Pagix runs, and removes the
// installation in the order of RemoveInstalledProduct: what fails keeps the Add/Remove Programs
// entry (removed only when it names this very folder) and the uninstaller for another run. It
// ends with one message. The copy's file is opened for deletion on close by the original and goes
// when the copy ends; copies an earlier run could not remove are deleted at the start. When no
// copy can be started, the original does the same work in place and leaves its own file and
// folder, which its closing message names for the user to delete (nothing is left to a deletion
// at the next restart: a new installation into the same folder would lose its uninstaller then).
//
// A program that is not the installation's own uninstall.exe (a leftover temporary copy started
// by hand, or uninstall.exe copied to a folder without an installation) removes nothing: only
// the original names a folder, and it and its copy go ahead only when that folder holds
// uninstall.exe and an installation (see HoldsInstallation), before anything is asked.
//
// Exit codes: 0 removed, 1 the user said No or Cancel, 2 something could not be removed, 3 bad
// arguments, 4 no installation in this program's folder.
#include <string.h>
#include <windows.h>

#include "base/code_page_win.h"
#include "base/manifest.h"
#include "base/path_scan.h"
#include "base/text_format.h"
#include "payload/crc32.h"
#include "payload/resource_bytes_win.h"
#include "product/uninstall/command_line.h"
#include "product/uninstall/process_image_win.h"
#include "product/uninstall/removal.h"
#include "shell/progman_commands.h"
#include "shell/progman_execute.h"
#include "shell/uninstall_entry.h"
#include "shell/uninstall_entry_win.h"

namespace {

enum {
  kExitRemoved = 0,
  kExitDeclined = 1,
  kExitIncomplete = 2,
  kExitBadArguments = 3,
  kExitNoInstallation = 4
};

enum {
  kCaptionSize = 64,  // "Pagix 0.9d Uninstall", the caption of its message boxes
  // One Program Manager command of the uninstaller, and the group as the report names it.
  kGroupCommandSize = 128,
  kGroupWhatSize = 96,
  kChecksumPieceSize = 65536,   // an installed file is read for its checksum in pieces this big
  kTemporaryCopyAttempts = 100  // names tried in the temporary folder before giving up
};

const DWORD kOriginalExitWaitMs = 15000;  // how long the copy waits for the original to end
const DWORD kProgmanWaitMs = 10000;       // for Program Manager's acknowledgement

struct Win32Removal {
  const char* SelfPath;  // this program's file
  int InPlace;           // this program runs from the install folder
  const char* KeyPath;   // the entry's key below HKEY_LOCAL_MACHINE
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
  // The running program cannot delete its own file.
  if (removal->InPlace && lstrcmpiA(path, removal->SelfPath) == 0) return kRemovalLeftInPlace;
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
  // A running program's file is denied too, but it is in use, and no longer once it ends.
  if (code == ERROR_ACCESS_DENIED && IsRunningImage(path)) return kRemovalInUse;
  const int outcome = OutcomeForError(code);
  return outcome == kRemovalNotEmpty ? kRemovalFailed : outcome;
}

int RemoveFolderWin32(void*, const char* path, unsigned long* error) {
  if (RemoveDirectoryA(path)) return kRemovalDone;
  *error = GetLastError();
  return OutcomeForError(*error);
}

int ListFolderWin32(void*, const char* path, FolderEntryVisitor visit, void* visitContext) {
  char pattern[kPathBufferSize];
  WIN32_FIND_DATAA found;
  HANDLE search = FormatText(pattern, sizeof pattern, "%s\\*", path)
                      ? FindFirstFileA(pattern, &found)
                      : INVALID_HANDLE_VALUE;
  if (search == INVALID_HANDLE_VALUE) return kRemovalFailed;
  do {
    visit(visitContext, found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return kRemovalDone;
}

int FileChecksumWin32(void*, const char* path, uint32_t* crc, unsigned long* error) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return OutcomeForError(*error);
  }
  static uint8_t piece[kChecksumPieceSize];
  *crc = 0;
  DWORD count = 0;
  BOOL read;
  while ((read = ReadFile(file, piece, sizeof piece, &count, nullptr)) && count > 0)
    *crc = Crc32Update(*crc, piece, count);
  *error = read ? 0 : GetLastError();
  CloseHandle(file);
  return read ? kRemovalDone : kRemovalFailed;
}

// Sends one command to Program Manager; only silence is reported (a negative answer comes also
// when what the command removes is gone already).
void ExecuteProgman(const char* command, const char* what, RemovalReport* report) {
  const int answer = ProgmanExecute(command, kProgmanWaitMs);
  if (answer != kProgmanAccepted && answer != kProgmanRefused)
    AddRemovalFailure(report, what, kRemovalNoAnswer, 0);
}

// Removes our two items from the group: with the group when nothing of the user's is in it,
// otherwise one by one, leaving the group and the user's items.
void RemoveGroupItems(void*, RemovalReport* report) {
  char command[kGroupCommandSize], what[kGroupWhatSize];
  FormatText(what, sizeof what, "Program Manager group \"%s\"", kProgmanGroupName);
  if (!ProgmanGroupHoldsOthers()) {
    FormatProgmanDeleteGroup(command, sizeof command, kProgmanGroupName);
    ExecuteProgman(command, what, report);
    return;
  }
  // Items are removed from the group that was shown last.
  FormatProgmanShowGroup(command, sizeof command, kProgmanGroupName);
  ExecuteProgman(command, what, report);
  for (const char* title : kGroupItemTitles) {
    FormatProgmanDeleteItem(command, sizeof command, title);
    ExecuteProgman(command, what, report);
  }
}

void RemoveEntryWin32(void* context, RemovalReport* report) {
  const char* keyPath = static_cast<const Win32Removal*>(context)->KeyPath;
  const LONG result = DeleteUninstallEntry(keyPath);
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
    static const char kRoot[] = "HKEY_LOCAL_MACHINE\\";
    char what[sizeof kRoot + kPathBufferSize];
    FormatText(what, sizeof what, "%s%s", kRoot, keyPath);
    AddRemovalFailure(report, what, OutcomeForError(static_cast<DWORD>(result)),
                      static_cast<unsigned long>(result));
  }
}

// Pagix's files cannot go while it runs: the user closes it (Retry) or gives up (Cancel, 0).
int WaitForProgramToEnd(const char* folder, const char* caption) {
  char program[kPathBufferSize], text[kMessageTextSize];
  if (!ComposeInstalledPath(program, sizeof program, folder, kProgramFileName)) return 1;
  FormatText(text, sizeof text, "Close %s, then press Retry", kUninstallDisplayName);
  while (IsRunningImage(program)) {
    if (MessageBoxA(nullptr, text, caption, MB_RETRYCANCEL | MB_ICONWARNING | MB_SETFOREGROUND) !=
        IDRETRY)
      return 0;
  }
  return 1;
}

// Asks, then removes the installation in folder; registrationIsOurs when the entry (and with it
// the group's items) belongs to it.
int Uninstall(const char* folder, const char* selfPath, int inPlace, const char* keyPath,
              int registrationIsOurs) {
  char caption[kCaptionSize], text[kMessageTextSize];
  FormatText(caption, sizeof caption, "%s Uninstall", kUninstallDisplayName);
  FormatText(text, sizeof text, "Remove %s and all of its components?", kUninstallDisplayName);
  const int answer = MessageBoxA(nullptr, text, caption,
                                 MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND);
  if (answer != IDYES || !WaitForProgramToEnd(folder, caption)) return kExitDeclined;

  static RemovalReport report;
  StartRemovalReport(&report);
  Win32Removal removal = {selfPath, inPlace, keyPath};
  RemovalOps ops = {RemoveFileWin32,
                    RemoveFolderWin32,
                    FileChecksumWin32,
                    ListFolderWin32,
                    registrationIsOurs ? RemoveGroupItems : nullptr,
                    registrationIsOurs ? RemoveEntryWin32 : nullptr,
                    &removal};
  size_t recordSize = 0;
  const uint8_t* record = LoadChecksumRecord(nullptr, &recordSize);
  RemoveInstalledProduct(folder, record, recordSize, &ops, &report);

  static char message[kRemovalMessageSize];
  FormatRemovalReport(&report, message, sizeof message);
  const UINT icon = report.FailureCount ? MB_ICONERROR : MB_ICONINFORMATION;
  MessageBoxA(nullptr, message, caption, MB_OK | icon | MB_SETFOREGROUND);
  return report.FailureCount ? kExitIncomplete : kExitRemoved;
}

// Deletes the temporary copies that earlier runs left behind; a copy that still runs cannot be
// deleted and stays.
void DeleteStaleCopies(const char* temp, const char* selfPath) {
  char pattern[kPathBufferSize], path[kPathBufferSize];
  if (!FormatText(pattern, sizeof pattern, "%spagix-uninstall-*.exe", temp)) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !IsTemporaryCopyName(found.cFileName) ||
        !FormatText(path, sizeof path, "%s%s", temp, found.cFileName) ||
        lstrcmpiA(path, selfPath) == 0)
      continue;
    DeleteFileA(path);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// Starts the copy with an inheritable handle of this process, so the copy can wait for it to
// end, and any other inheritable handle of this process; returns 1 when it runs.
int StartCopyProcess(const char* copy, const char* folder, const char* temp) {
  HANDLE original = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &original,
                       SYNCHRONIZE, TRUE, 0))
    return 0;
  char commandLine[kCopyCommandLineSize];
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
  if (!started) return 0;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 1;
}

// Copies this program to the temporary folder and starts the copy; returns 1 when it runs.
int StartTemporaryCopy(const char* selfPath, const char* folder, const char* temp) {
  char copy[kPathBufferSize];
  int copied = 0;
  for (int attempt = 0; attempt < kTemporaryCopyAttempts && !copied; ++attempt) {
    if (!FormatTemporaryCopyPath(copy, sizeof copy, temp,
                                 static_cast<unsigned long>(GetCurrentProcessId()), attempt))
      return 0;
    copied = CopyFileA(selfPath, copy, TRUE);  // never over an older copy
  }
  if (!copied) return 0;

  // The copy's file, opened for deletion on close and inherited by the copy: it goes once the
  // copy has ended. Where the system refuses to start a program so opened, the copy is made
  // again and started plainly; the next run then deletes it (DeleteStaleCopies).
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE doomed = CreateFileA(copy, DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit,
                              OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  int started = StartCopyProcess(copy, folder, temp);
  if (doomed != INVALID_HANDLE_VALUE) {
    CloseHandle(doomed);
    if (!started && CopyFileA(selfPath, copy, TRUE)) started = StartCopyProcess(copy, folder, temp);
  }
  if (!started) DeleteFileA(copy);
  return started;
}

// The temporary folder, with its trailing separator; 0 when there is none that fits.
int FindTemporaryFolder(char* temp, DWORD size) {
  const DWORD length = GetTempPathA(size, temp);
  return length > 0 && length < size;
}

// Whether folder holds an installation: its uninstall.exe, and either the entry names the folder
// or another installed file there is still as installed. A copy of uninstall.exe anywhere else,
// alone or among files of its own, is no installation to remove.
int HoldsInstallation(const char* folder, int entryOwner) {
  char path[kPathBufferSize];
  const DWORD attributes = ComposeInstalledPath(path, sizeof path, folder, kUninstallerFileName)
                               ? GetFileAttributesA(path)
                               : INVALID_FILE_ATTRIBUTES;
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  if (entryOwner == kEntryOfThisFolder) return 1;
  RemovalOps ops = {nullptr, nullptr, FileChecksumWin32, nullptr, nullptr, nullptr, nullptr};
  size_t recordSize = 0;
  const uint8_t* record = LoadChecksumRecord(nullptr, &recordSize);
  return HoldsInstalledFile(folder, record, recordSize, &ops);
}

void SayNoInstallation(const char* folder) {
  char caption[kCaptionSize], text[kMessageTextSize];
  FormatText(caption, sizeof caption, "%s Uninstall", kUninstallDisplayName);
  FormatText(text, sizeof text, "No Pagix installation in %s", folder);
  MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  UseAnsiCodePageLeadBytes();
  char self[kPathBufferSize];
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  if (length == 0 || length >= sizeof self) return kExitBadArguments;

  static UninstallArguments parsed;
  ParseUninstallArguments(arguments, &parsed);
  if (parsed.Mode == kUninstallBadArguments) return kExitBadArguments;

  // The installation's folder: this program's own when the user started it, otherwise the one
  // the original handed over, which holds the original.
  char ownFolder[kPathBufferSize], keyPath[kPathBufferSize];
  size_t nameStart = 0;
  CopyTextPart(ownFolder, sizeof ownFolder, self, FolderPartLength(self, length, &nameStart));
  const int startedByUser = parsed.Mode == kUninstallStartedByUser;
  const char* folder = startedByUser ? ownFolder : parsed.Folder;
  FormatUninstallKeyPath(keyPath, sizeof keyPath, kUninstallKeyName);
  const int entryOwner = FindUninstallEntryOwner(keyPath, folder);
  // Only the installation's own uninstaller knows its folder; a copy of it elsewhere (a
  // leftover temporary copy started by hand, or uninstall.exe copied away) would take a
  // stranger's folder for ours. Nothing is deleted before this is settled.
  if ((startedByUser && lstrcmpiA(self + nameStart, kUninstallerFileName) != 0) ||
      !HoldsInstallation(folder, entryOwner)) {
    SayNoInstallation(folder);
    return kExitNoInstallation;
  }

  char temp[kPathBufferSize];
  const int hasTemp = FindTemporaryFolder(temp, sizeof temp);
  if (hasTemp) DeleteStaleCopies(temp, self);
  if (startedByUser) {
    if (hasTemp && StartTemporaryCopy(self, folder, temp)) return kExitRemoved;
    // Started from a shortcut, its own current folder would keep the installation's in use.
    if (GetSystemDirectoryA(temp, sizeof temp)) SetCurrentDirectoryA(temp);
    return Uninstall(folder, self, 1, keyPath, entryOwner != kEntryOfAnotherFolder);
  }

  // Let the original end first, so that its file can be deleted.
  HANDLE original = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(parsed.OriginalProcess));
  WaitForSingleObject(original, kOriginalExitWaitMs);
  CloseHandle(original);
  if (hasTemp) SetCurrentDirectoryA(temp);
  // This copy's file was opened for deletion on close by the original; it goes when this
  // process ends, and otherwise with the next run's stale copies.
  return Uninstall(folder, self, 0, keyPath, entryOwner != kEntryOfAnotherFolder);
}

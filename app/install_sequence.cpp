#include "app/install_sequence.h"

#include "app/desktop_launch.h"
#include "app/progress.h"
#include "base/installer_state.h"
#include "base/manifest.h"
#include "base/text_format.h"
#include "paths/create_destination_folder.h"
#include "payload/extract_payload_item.h"
#include "shell/progman_dde.h"
#include "shell/uninstall_registration.h"

void RunInstallSequence(HWND owner, const char* destination) {
  // Every step returns at once once AbortRequested is set, so the sequence runs straight through.
  CreateDestinationFolder(owner, destination, 1);
  AdvanceProgress(10);

  char subFolder[kPathBufferSize];
  for (const char* name : kSubFolderNames) {
    FormatText(subFolder, sizeof subFolder, "%s%s", destination, name);
    CreateDestinationFolder(owner, subFolder, 0);
  }

  for (const PayloadManifestRow& row : kInstallManifest) {
    ExtractPayloadItem(owner, row.ResourceId, destination, row.RelativePath, row.Compressed, 0);
    AdvanceProgress(row.Weight);
  }

  // Deliberate: six advances by nothing, each only a repaint and one pumped message.
  for (int i = 0; i < 6; ++i) AdvanceProgress(0);
  AdvanceProgress(10);

  ProgmanCreateGroup(owner, kProgmanGroupName, destination, kGroupItemFiles, kGroupItemTitles,
                     kGroupItemCount);
  AdvanceProgress(10);

  RegisterUninstall(owner, kUninstallKeyName, kUninstallDisplayName, destination);
  AdvanceProgress(10);

  LaunchProduct(owner, destination, kProgramFileName, kLaunchQuestion, 1);
}

void LaunchProduct(HWND owner, const char* directory, const char* programFileName,
                   const char* question, int ask) {
  if (g_Installer.AbortRequested) return;
  if (ask && MessageBoxA(owner, question, InstallerTitle(),
                         MB_TOPMOST | MB_SETFOREGROUND | MB_ICONQUESTION | MB_YESNO) != IDYES) {
    return;
  }
  // Started by the desktop's shell, the program runs as the desktop's user; started from here,
  // it would run with the installer's administrator token, and so would all it opens.
  if (LaunchThroughDesktopShell(directory, programFileName)) return;
  // The program path is quoted: unquoted, a path with spaces lets CreateProcess try
  // "C:\Program.exe" first.
  char commandLine[kPathBufferSize + 2];
  if (!FormatText(commandLine, sizeof commandLine, "\"%s%s\"", directory, programFileName)) return;
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof process);
  if (CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE,
                     DETACHED_PROCESS | NORMAL_PRIORITY_CLASS, nullptr, directory, &startup,
                     &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

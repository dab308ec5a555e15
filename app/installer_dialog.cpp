#include "app/installer_dialog.h"

#include <dde.h>
#include <string.h>

#include "app/install_sequence.h"
#include "app/installer_state.h"
#include "app/progress.h"
#include "app/text_format.h"
#include "paths/directory_chooser.h"
#include "paths/path_text.h"
#include "shell/progman_dde.h"

namespace {

const char kNoticeLine[] = "Pagix is made by Marrowby";
const char kDestinationTooLong[] = "Destination path is too long";
const char kChooserPattern[] = "\\*.*";

void EnableInstallControls(HWND dialog, BOOL enable) {
  EnableWindow(GetDlgItem(dialog, IDOK), enable);
  EnableWindow(GetDlgItem(dialog, IDC_BROWSE), enable);
  EnableWindow(GetDlgItem(dialog, IDC_DESTINATION), enable);
}

void InitializeDialog(HWND dialog) {
  SetWindowTextA(dialog, InstallerTitle());
  SetDlgItemTextA(dialog, IDC_NOTICE, kNoticeLine);
  SetDlgItemTextA(dialog, IDC_DESTINATION, DefaultDestination());
  g_Installer.ProgmanServer = nullptr;
  g_Installer.ProgmanState = kProgmanIdle;
  g_Installer.DialogWindow = dialog;
  LayoutProgress();
  ProgmanConnect(dialog);
  // A failed connect has shown its box; the installer stays usable.
  g_Installer.Installing = 0;
  g_Installer.AbortRequested = 0;
}

void OnInstall(HWND dialog) {
  // The destination lives here for the whole run of the sequence, which re-enters the dialog
  // procedure only for Quit and DDE messages.
  char fieldText[kPathBufferSize];
  GetDlgItemTextA(dialog, IDC_DESTINATION, fieldText, sizeof fieldText);
  char typed[kPathBufferSize];
  CopyText(typed, sizeof typed, fieldText);
  // Every installed path is the destination plus a relative name; refuse a destination that
  // leaves no room for them before anything is created or asked.
  if (!NormalizePath(fieldText, fieldText, 0) || !DestinationLeavesRoom(fieldText)) {
    ReportInstallError(dialog, kDestinationTooLong, typed);
    return;
  }
  EnableInstallControls(dialog, FALSE);
  g_Installer.AbortRequested = 0;
  g_Installer.Installing = 1;
  g_Installer.ProgressTotal = 0;
  AdvanceProgress(0);
  RunInstallSequence(dialog, fieldText);
  g_Installer.Installing = 0;
  if (g_Installer.AbortRequested) {
    EnableInstallControls(dialog, TRUE);
    return;
  }
  ProgmanDisconnect(dialog);
  EndDialog(dialog, 1);
}

void OnQuit(HWND dialog) {
  if (g_Installer.Installing) {
    g_Installer.AbortRequested = 1;
    return;
  }
  ProgmanDisconnect(dialog);
  EndDialog(dialog, 0);
}

void OnBrowse(HWND dialog) {
  char fieldText[kPathBufferSize];
  GetDlgItemTextA(dialog, IDC_DESTINATION, fieldText, sizeof fieldText);
  char typed[kPathBufferSize];
  CopyText(typed, sizeof typed, fieldText);
  size_t length = strlen(fieldText);
  if (!CopyText(fieldText + length, sizeof fieldText - length, kChooserPattern)) {
    // No room for the chooser's pattern: the field names no folder the installer could use.
    ReportInstallError(dialog, kDestinationTooLong, typed);
    return;
  }
  if (ChooseDirectory(dialog, fieldText)) {
    SplitPath(fieldText, fieldText, nullptr);
    SetDlgItemTextA(dialog, IDC_DESTINATION, fieldText);
  }
}

}  // namespace

INT_PTR CALLBACK InstallerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitializeDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnInstall(dialog);
          break;
        case IDCANCEL:
          OnQuit(dialog);
          break;
        case IDC_BROWSE:
          OnBrowse(dialog);
          break;
      }
      return FALSE;
    case WM_DDE_TERMINATE:
      ProgmanOnTerminate(dialog, reinterpret_cast<HWND>(wParam));
      return FALSE;
    case WM_DDE_ACK:
      ProgmanOnAck(dialog, reinterpret_cast<HWND>(wParam), lParam);
      return FALSE;
  }
  return FALSE;
}

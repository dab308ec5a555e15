#include "app/installer_dialog.h"

#include <dde.h>
#include <string.h>

#include "app/install_sequence.h"
#include "app/progress.h"
#include "base/installer_state.h"
#include "base/manifest.h"
#include "base/system_library.h"
#include "base/text_format.h"
#include "paths/destination_room.h"
#include "paths/directory_chooser.h"
#include "paths/path_text.h"
#include "paths/volume_space_win.h"
#include "shell/progman_dde.h"

namespace {

const char kNoticeLine[] = "Pagix is made by Marrowby";
const char kChooserPattern[] = "\\*.*";

// Posted to the dialog to bring it (or the question it shows) back to the front.
const UINT kRegainForeground = WM_APP;

// Between the shell's answer to the group step and the end of the run the shell may open the
// group's window, at once or a moment later, and that window takes the foreground and with it the
// keyboard from the launch question. The installer takes it back once from another window, and
// every time the foreground falls to no window or the desktop (Wine does that when two
// programs' windows change places quickly); a later switch to another program is the user's.
enum ForegroundWatch { kNotWatching, kShellWindowAwaited, kShellWindowCame };
ForegroundWatch g_ForegroundWatch;

// Moves the keyboard focus as Tab does, so that the default button follows it.
void FocusControl(HWND dialog, int id) {
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

void RegainForeground(HWND dialog) {
  HWND front = GetForegroundWindow();
  if (g_ForegroundWatch == kNotWatching ||
      GetWindowThreadProcessId(front, nullptr) == GetCurrentThreadId())
    return;
  if (g_ForegroundWatch == kShellWindowAwaited || !front || front == GetDesktopWindow()) {
    g_ForegroundWatch = kShellWindowCame;
    // The launch question, when it is open, is the dialog's last active popup.
    SetForegroundWindow(GetLastActivePopup(dialog));
  }
}

void EnableInstallControls(HWND dialog, BOOL enable) {
  EnableWindow(GetDlgItem(dialog, IDOK), enable);
  EnableWindow(GetDlgItem(dialog, IDC_BROWSE), enable);
  EnableWindow(GetDlgItem(dialog, IDC_DESTINATION), enable);
}

void InitializeDialog(HWND dialog) {
  SetWindowTextA(dialog, InstallerTitle());
  SetDlgItemTextA(dialog, IDC_NOTICE, kNoticeLine);
  SetDlgItemTextA(dialog, IDC_DESTINATION, DefaultDestination());
  g_Installer.Progman.Server = nullptr;
  g_Installer.Progman.State = kProgmanIdle;
  g_Installer.DialogWindow = dialog;
  LayoutProgress();
  ProgmanConnect(dialog);
  // A failed connect has shown its box; the installer stays usable.
  g_Installer.Installing = 0;
  g_Installer.AbortRequested = 0;
}

// Judges the destination field (paths/destination_room.h) into destination (kPathBufferSize
// bytes); typed receives the field's text as far as it goes, for a refusal's message. The field
// is read as wide text and converted without best-fit mapping, so that no character is silently
// replaced by a look-alike (which may be a separator or a quote).
const char* JudgeDestinationField(HWND dialog, char* destination, char* typed, int typedSize) {
  HWND field = GetDlgItem(dialog, IDC_DESTINATION);
  WCHAR wide[kMessageTextSize];
  const int length = GetWindowTextLengthW(field);
  GetWindowTextW(field, wide, kMessageTextSize);
  // UTF-8 holds every character; the conversion refuses the flags for it.
  const int utf8 = GetACP() == CP_UTF8;
  BOOL usedDefault = FALSE;
  const int converted =
      WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1, typed, typedSize,
                          nullptr, utf8 ? nullptr : &usedDefault);
  if (converted == 0) typed[0] = '\0';
  return JudgeDestination(typed, length, converted != 0 && !usedDefault, destination);
}

// Whether ending the Windows session now would leave the installation half-written: a run is
// writing folders, files, the group or the entry. Not while a box of the installer waits for the
// person (it disables the dialog, its owner), nor after a stop or once the entry is written.
int IsWriting(HWND dialog) {
  return g_Installer.Installing && !g_Installer.AbortRequested && g_Installer.ProgressTotal < 100 &&
         IsWindowEnabled(dialog);
}

// Lists the dialog as "Installing Pagix 0.9d" among the programs that hold up a shutdown while
// the run writes, and takes it off otherwise (Windows Vista and later; older systems lack the
// calls).
void UpdateShutdownBlock(HWND dialog) {
  if (!IsWriting(dialog)) {
    auto destroy =
        LoadSystemFunctionAs<BOOL(WINAPI*)(HWND)>("user32.dll", "ShutdownBlockReasonDestroy");
    if (destroy) destroy(dialog);
    return;
  }
  auto create =
      LoadSystemFunctionAs<BOOL(WINAPI*)(HWND, LPCWSTR)>("user32.dll", "ShutdownBlockReasonCreate");
  char reason[64];
  WCHAR wideReason[sizeof reason];
  FormatText(reason, sizeof reason, "Installing %s", kUninstallDisplayName);
  if (create && MultiByteToWideChar(CP_ACP, 0, reason, -1, wideReason, sizeof reason))
    create(dialog, wideReason);
}

void OnInstall(HWND dialog) {
  // A posted Install reaches this procedure through the progress pump of a running sequence.
  if (g_Installer.Installing) return;
  // The destination lives here for the whole run of the sequence, which re-enters the dialog
  // procedure only for Quit and DDE messages. It is judged before anything is created or asked.
  char fieldText[kPathBufferSize];
  char typed[kMessageTextSize];
  const char* refusal = JudgeDestinationField(dialog, fieldText, typed, sizeof typed);
  if (refusal) {
    ReportInstallError(dialog, refusal, typed);
    return;
  }
  if (!DestinationVolumeHasRoom(dialog, fieldText)) return;
  // Disabling the focused control would leave the keyboard nowhere: Quit, and with it Escape,
  // must stay reachable during the run.
  FocusControl(dialog, IDCANCEL);
  EnableInstallControls(dialog, FALSE);
  g_Installer.AbortRequested = 0;
  g_Installer.Installing = 1;
  g_Installer.ProgressTotal = 0;
  AdvanceProgress(0);
  UpdateShutdownBlock(dialog);
  RunInstallSequence(dialog, fieldText);
  g_Installer.Installing = 0;
  UpdateShutdownBlock(dialog);
  g_ForegroundWatch = kNotWatching;
  if (g_Installer.AbortRequested) {
    NameProgress();
    EnableInstallControls(dialog, TRUE);
    FocusControl(dialog, IDC_DESTINATION);
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
  if (g_Installer.Installing) return;
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
    case WM_QUERYENDSESSION:
      // No while the run writes (a dialog procedure answers through DWLP_MSGRESULT); otherwise,
      // also while a question waits, the default yes.
      if (!IsWriting(dialog)) return FALSE;
      SetWindowLongPtrA(dialog, DWLP_MSGRESULT, FALSE);
      return TRUE;
    case WM_ENABLE:
      // A box of the installer opens or closes: the shutdown block lasts only while it writes.
      if (g_Installer.Installing) UpdateShutdownBlock(dialog);
      return FALSE;
    case WM_DDE_TERMINATE:
      ProgmanOnTerminate(dialog, reinterpret_cast<HWND>(wParam));
      return FALSE;
    case WM_DDE_ACK:
      ProgmanOnAck(dialog, reinterpret_cast<HWND>(wParam), lParam);
      // During a run only the group step is answered.
      if (g_Installer.Installing) {
        g_ForegroundWatch = kShellWindowAwaited;
        PostMessageA(dialog, kRegainForeground, 0, 0);
      }
      return FALSE;
    case WM_ACTIVATEAPP:
      if (!wParam && g_ForegroundWatch != kNotWatching) {
        PostMessageA(dialog, kRegainForeground, 0, 0);
      }
      return FALSE;
    case kRegainForeground:
      RegainForeground(dialog);
      return FALSE;
  }
  return FALSE;
}

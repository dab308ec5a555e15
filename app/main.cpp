#include <windows.h>

#include "app/installer_dialog.h"
#include "base/code_page_win.h"
#include "base/installer_state.h"
#include "base/manifest.h"
#include "base/system_library.h"
#include "payload/extract_payload_item.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_Installer.Instance = instance;
  // Every path text is read by the characters of the ANSI code page, whose superscript digits
  // make device names.
  UseAnsiCodePageLeadBytes();
  UseAnsiCodePageSuperscriptDigits();
  // A damaged download must install nothing: the whole payload is checked before the dialog
  // opens and before Program Manager is contacted.
  const int damaged = FindDamagedPayloadItem();
  if (damaged >= 0) {
    ReportInstallError(nullptr, "The installer is damaged. Download it again.",
                       kInstallManifest[damaged].RelativePath);
    return 0;
  }
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_INSTALLER), nullptr, InstallerDialogProc, 0);
  return 0;
}

// The process entry. The installer links without the C runtime's start-up code (it needs no
// command-line parsing, no static constructors and no thread-local storage; msvcrt.dll sets
// itself up when it is loaded), which keeps several kilobytes of start-up code out of the
// executable. The exit code is always 0.
extern "C" void WinMainCRTStartup() {
  RestrictDllSearch();
  WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
  ExitProcess(0);
}

#include <windows.h>

#include "app/installer_dialog.h"
#include "app/installer_state.h"
#include "app/system_library.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_Installer.Instance = instance;
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

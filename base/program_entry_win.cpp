// The process entry of Pagix.exe and uninstall.exe. Like the installer, the programs link
// without the C runtime's start-up code: they need no argument vector, no static constructors
// and no thread-local storage, and msvcrt.dll sets itself up when it is loaded. The entry hands
// WinMain what the runtime's start-up would: the module, the arguments after the program name,
// the show command the starting process asked for, and ends the process with WinMain's result.
// First it restricts the DLL search to the system folder: the uninstaller runs as administrator
// from a copy in the temporary folder, where anyone running as the user could plant a DLL.
#include <windows.h>

#include "base/program_arguments.h"
#include "base/system_library.h"

extern "C" void WinMainCRTStartup() {
  RestrictDllSearch();
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const int showCommand =
      (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  LPSTR arguments = const_cast<LPSTR>(ProgramArguments(GetCommandLineA()));
  ExitProcess(
      static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, arguments, showCommand)));
}

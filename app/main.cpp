#include <windows.h>

#include "app/installer_state.h"

namespace {

INT_PTR CALLBACK StubDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetWindowTextA(dialog, InstallerTitle());
    SetDlgItemTextA(dialog, 102, DefaultDestination());
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam) == IDOK);
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_Installer.Instance = instance;
  DialogBoxParamA(instance, MAKEINTRESOURCEA(106), nullptr, StubDialogProc, 0);
  return 0;
}

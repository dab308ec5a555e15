#include "base/installer_state.h"

#include "base/text_format.h"

InstallerState g_Installer;

const char* InstallerTitle() { return "Pagix " PAGIX_PRODUCT_VERSION " Install"; }

const char* DefaultDestination() { return "C:\\Program Files\\Marrowby\\Pagix"; }

void ReportInstallError(HWND owner, const char* message, const char* detail) {
  char text[kMessageTextSize];
  FormatText(text, sizeof text, "%s : %s", message, detail);
  MessageBoxA(owner, text, InstallerTitle(), MB_OK | MB_ICONERROR);
  g_Installer.AbortRequested = 1;
}

// The Add/Remove Programs entry of the installed product.
#pragma once

// An install step: writes "DisplayName" and "UninstallString" under
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\<keyName>.
void RegisterUninstall(const char* keyName, const char* displayName, const char* uninstallCommand);

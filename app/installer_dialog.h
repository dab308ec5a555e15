// The installer's one modal dialog (template IDD_INSTALLER of resources/resource.h).
#pragma once

#include <windows.h>

#include "resources/resource.h"

INT_PTR CALLBACK InstallerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

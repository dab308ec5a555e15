// The installer's one modal dialog (template 106).
#pragma once

#include <windows.h>

enum {
  kInstallerDialogId = 106,
  kDestinationFieldId = 102,
  kBrowseButtonId = 105,
  kNoticeLineId = 300,
};

INT_PTR CALLBACK InstallerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The folder chooser behind Browse: the old-style open-file dialog with the "DIRDLG" template.
#pragma once

#include <windows.h>

extern char ChosenDirectoryText[260];

// Opens the chooser at the folder part of path. On OK returns nonzero and leaves the chosen
// folder followed by "*.*" or "\*.*" in path; on Cancel returns 0 and leaves path unchanged.
int ChooseDirectory(HWND owner, char* path);
UINT_PTR CALLBACK DirectoryChooserHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The folder chooser behind Browse: the old-style open-file dialog with the "DIRDLG" template.
#pragma once

#include <windows.h>

#include "base/text_format.h"

// The chooser's current-directory text, copied by the hook when the chooser window is destroyed.
extern char ChosenDirectoryText[kPathBufferSize];

// Opens the chooser, owned by owner, at the folder part of path (a zero-terminated text in a
// 260-byte buffer). On OK returns nonzero and leaves the chosen folder followed by "*.*" (drive
// root) or "\*.*" in path. Returns 0 and leaves path unchanged on Cancel, when the dialog cannot
// be shown, and when the chosen folder's text is too long to come back whole with its pattern.
int ChooseDirectory(HWND owner, char* path);

// The common dialog's hook: on WM_INITDIALOG lets the chooser's own line follow the hidden
// current-directory control; on WM_DESTROY copies the text of the current-directory control into
// ChosenDirectoryText and returns 1. Enter in the directory list after the highlight has moved
// opens the highlighted folder instead of ending the chooser (returns 1 for that OK command);
// returns 0 for every other message.
UINT_PTR CALLBACK DirectoryChooserHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

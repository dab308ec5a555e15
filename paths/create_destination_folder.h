// Makes sure the destination folder exists, creating it with up to eleven missing ancestors.
#pragma once

#include <windows.h>

// An install step: does nothing once AbortRequested is set. Tests the folder by making it the
// current directory (an existing folder is left entered); when it is missing and confirm is
// nonzero asks "Create Destination" (anything but OK sets AbortRequested, creates nothing);
// climbs to the nearest existing ancestor, at most twelve levels, and creates the missing folders
// from the top down. A failed creation is reported as "Cannot Create Directory" with that
// folder's path. A path longer than 259 characters is reported the same way without any test or
// creation, since it cannot be held without being cut.
void CreateDestinationFolder(HWND owner, const char* path, int confirm);

// The two file system calls, reached through this record so that tests can watch them. A null
// member means the platform call itself (SetCurrentDirectoryA, CreateDirectoryA).
struct DestinationFolderCalls {
  BOOL(WINAPI* SetCurrentDirectoryCall)(LPCSTR path);
  BOOL(WINAPI* CreateDirectoryCall)(LPCSTR path, LPSECURITY_ATTRIBUTES attributes);
};

extern DestinationFolderCalls g_DestinationFolderCalls;

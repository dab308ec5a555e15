// Makes sure the destination folder exists, creating it with up to eleven missing ancestors.
#pragma once

#include <windows.h>

// An install step: tests the folder by entering it, asks "Create Destination" when confirm is
// nonzero and the folder is missing, and creates the missing folders from the top down.
void CreateDestinationFolder(HWND owner, const char* path, int confirm);

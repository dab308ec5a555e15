// The whole installation as one fixed sequence of install steps.
#pragma once

#include <windows.h>

void RunInstallSequence(HWND owner, const char* destination);
void LaunchProduct(HWND owner, const char* directory, const char* programFileName,
                   const char* question, int ask);

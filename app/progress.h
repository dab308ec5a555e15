// The sliding-icon progress indicator of the main dialog and its one-message pump.
#pragma once

#include <windows.h>

void LayoutProgress();
void AdvanceProgress(int percent);
void PumpMessages(HWND dialog);

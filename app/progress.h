// The sliding-icon progress indicator of the main dialog and its one-message pump.
#pragma once

#include <windows.h>

void LayoutProgress();
void AdvanceProgress(int percent);
void PumpMessages(HWND dialog);
// Names the bar for assistive technology after the run's state (app/progress_text.h) and
// announces the name; each advance does so, and the dialog once a stopped run has returned.
void NameProgress();

// The installer's one process-wide record, its product texts and the single error path.
#pragma once

#include <windows.h>

#include <dde.h>  // the DDE message numbers; it needs windows.h first

// The state of the DDE conversation with Program Manager: the number of the DDE message whose
// answer is outstanding, or 0.
enum ProgmanConversationState : WORD {
  kProgmanIdle = 0,
  kProgmanInitiating = WM_DDE_INITIATE,     // the initiate broadcast is under way
  kProgmanExecutePending = WM_DDE_EXECUTE,  // the command block is posted, its answer awaited
};

struct InstallerState {
  HINSTANCE Instance;
  HWND DialogWindow;
  // When 1, every further install step does nothing.
  int AbortRequested;
  // The installed files' total in bytes, added up by the start-up check of the payload; the
  // free-space check and the uninstall entry's size read it.
  ULONGLONG InstalledBytes;
  // 1 while RunInstallSequence runs.
  int Installing;
  // DDE conversation with Program Manager.
  HWND ProgmanServer;
  ProgmanConversationState ProgmanState;
  // Progress indicator geometry and position.
  int ProgressTotal;
  int ProgressSpan;
  int IconWidth;
  int IconHeight;
  POINT ProgressOrigin;
};

// Zero at process start; nothing initialises it beyond that.
extern InstallerState g_Installer;

const char* InstallerTitle();
const char* DefaultDestination();

// Shows "message : detail" in an error box owned by owner and captioned with the installer
// title, then sets AbortRequested. Always shows its box, whatever the flag's value.
void ReportInstallError(HWND owner, const char* message, const char* detail);

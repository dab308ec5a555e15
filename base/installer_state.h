// The installer's one process-wide record, its product texts and the single error path.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "base/manifest.h"
#include "base/progman_record.h"

struct InstallerState {
  HINSTANCE Instance;
  HWND DialogWindow;
  // When 1, every further install step does nothing.
  int AbortRequested;
  // The installed files' total in bytes, added up by the start-up check of the payload; the
  // free-space check and the uninstall entry's size read it.
  ULONGLONG InstalledBytes;
  // Each installed file's size in bytes, by manifest row (from the same check); the free-space
  // check rounds each up to the volume's allocation unit.
  uint32_t InstalledFileBytes[kPayloadItemCount];
  // 1 while RunInstallSequence runs.
  int Installing;
  // The DDE conversation with Program Manager.
  ProgmanConversation Progman;
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

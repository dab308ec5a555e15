// Raw-message DDE client of the shell's "PROGMAN" server; the main dialog is the client window.
#pragma once

#include <windows.h>

void ProgmanConnect(HWND dialog);
void ProgmanCreateGroup(HWND owner, const char* group, const char* destination,
                        const char* const* files, const char* const* titles, int count);
void ProgmanDisconnect(HWND dialog);
void ProgmanOnAck(HWND dialog, HWND sender, LPARAM lParam);
void ProgmanOnTerminate(HWND dialog, HWND sender);

// The installer's Program Manager group step over the shared DDE conversation: the main dialog
// is the client window, and the conversation is the one in the installer's state.
#pragma once

#include <windows.h>

void ProgmanConnect(HWND dialog);
void ProgmanCreateGroup(HWND owner, const char* group, const char* destination,
                        const char* const* files, const char* const* titles, int count);
void ProgmanDisconnect(HWND dialog);
void ProgmanOnAck(HWND dialog, HWND sender, LPARAM lParam);
void ProgmanOnTerminate(HWND dialog, HWND sender);

// The record of one DDE conversation with Program Manager. Its caller owns it: the installer keeps
// one in its state, the uninstaller one of its own for each command. shell/progman_conversation.h
// holds the operations on it; the type stands here so that the installer's state can hold it.
#pragma once

#include <windows.h>

#include <dde.h>  // the DDE message numbers; it needs windows.h first

// The number of the DDE message whose answer is outstanding, or 0.
enum ProgmanConversationState : WORD {
  kProgmanIdle = 0,
  kProgmanInitiating = WM_DDE_INITIATE,     // the initiate broadcast is under way
  kProgmanExecutePending = WM_DDE_EXECUTE,  // the command block is posted, its answer awaited
};

struct ProgmanConversation {
  HWND Server;  // the server window that holds the conversation; null while there is none
  ProgmanConversationState State;
};

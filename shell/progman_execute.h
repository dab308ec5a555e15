// One Program Manager command on a conversation of its own, as the uninstaller sends them: a
// hidden client window, one execute and a bounded wait for its acknowledgement.
#pragma once

#include <windows.h>

enum ProgmanExecuteResult {
  kProgmanAccepted,  // the server acknowledged the command positively
  kProgmanRefused,   // the server acknowledged it negatively (or as busy)
  kProgmanNoServer,  // no server answered the initiate
  kProgmanNoAnswer,  // no acknowledgement within the time allowed, or the server left
  kProgmanNotSent    // no memory for the command block, or the post was refused
};

// Opens a conversation (the first server to answer keeps it, every other one is dismissed),
// posts command as a WM_DDE_EXECUTE block, waits up to timeoutMs for the acknowledgement while
// dispatching the thread's messages, and ends the conversation, waiting up to 2000 ms for the
// server's answering terminate.
int ProgmanExecute(const char* command, DWORD timeoutMs);

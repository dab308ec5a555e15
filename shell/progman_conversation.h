// One raw-message DDE conversation with the shell's Program Manager ("PROGMAN" service and topic),
// for the installer (its dialog is the client window) and the uninstaller (a hidden window of its
// own). The caller owns the record and hands every WM_DDE_ACK and WM_DDE_TERMINATE that reaches
// its client window to ProgmanTakeAck and ProgmanTakeTerminate.
#pragma once

#include <windows.h>

#include "base/progman_record.h"

// Lets WM_DDE_ACK and WM_DDE_TERMINATE through the client's message filter, then sends
// WM_DDE_INITIATE for "PROGMAN" to every top-level window, each of which may take up to 2000 ms,
// and deletes its atoms again. The servers' answers arrive at ProgmanTakeAck during the call; the
// first to answer holds the conversation. Returns 1 when a server holds it.
int ProgmanInitiate(ProgmanConversation* conversation, HWND client);

// A window's message filter: ChangeWindowMessageFilterEx of user32 (Windows 7 and later; the
// headers declare it only for those).
typedef BOOL(WINAPI* ProgmanMessageFilter)(HWND window, UINT message, DWORD action, void* status);
// Looks the filter up at run time; null where the system has none. Tests put their own in.
extern ProgmanMessageFilter (*g_FindProgmanMessageFilter)();

// A new shareable command block of size bytes, locked: *text receives its address. Null when there
// is no memory for it or no address (nothing is left allocated then).
HGLOBAL ProgmanNewCommandBlock(SIZE_T size, char** text);

// Unlocks the block from ProgmanNewCommandBlock and posts it to the server as WM_DDE_EXECUTE.
// Returns 1 when posted: the execute is then outstanding and the block belongs to the
// conversation, which releases it when the acknowledgement brings it back. Otherwise the block is
// freed and 0 returned.
int ProgmanPostCommandBlock(ProgmanConversation* conversation, HWND client, HGLOBAL block);

// What an acknowledgement was to the conversation.
enum ProgmanAckEffect {
  kProgmanAckNoExecute,  // an answer to the initiate, or one while nothing is outstanding
  kProgmanAckAccepted,   // it completed the outstanding execute, which the server accepted
  kProgmanAckRefused     // it completed the outstanding execute, refused (negative or busy)
};

// A WM_DDE_ACK from sender. While the initiate is under way the first server to answer takes the
// conversation and every further one is dismissed with a terminate; the answer's atoms are deleted
// either way. While an execute is outstanding, any answer completes it: the command block it
// brings back and the packed pair are released. Otherwise it is ignored. Returns its effect.
int ProgmanTakeAck(ProgmanConversation* conversation, HWND client, HWND sender, LPARAM lParam);

// A WM_DDE_TERMINATE from sender. From the server, it ends the conversation and is answered (when
// the server's window still exists); returns 1 then. Any other one, such as the server's answer to
// ProgmanTerminate or a dismissed server's, is ignored and 0 returned.
int ProgmanTakeTerminate(ProgmanConversation* conversation, HWND client, HWND sender);

// Ends the conversation: posts WM_DDE_TERMINATE to the server when its window still exists, and
// returns 1 when it did. The server's answering terminate is not awaited here.
int ProgmanTerminate(ProgmanConversation* conversation, HWND client);

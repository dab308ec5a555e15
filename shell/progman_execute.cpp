#include "shell/progman_execute.h"

#include <string.h>

#include "shell/progman_conversation.h"

namespace {

const char kClientClass[] = "PagixProgmanClient";
const DWORD kTerminateWaitMs = 2000;  // for the server's answer to our terminate

// The one exchange of this thread; the client window's procedure fills it in.
struct Exchange {
  ProgmanConversation Progman;
  HWND Client;
  int Answer;  // the execute's acknowledgement: a ProgmanAckEffect, kProgmanAckNoExecute until then
  HWND Parting;  // the server our terminate went to, until its answering terminate arrives
};

Exchange g_Exchange;

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Exchange& e = g_Exchange;
  HWND sender = reinterpret_cast<HWND>(wParam);
  switch (message) {
    case WM_DDE_ACK:
      // Only the server's own answer completes the execute.
      if (e.Progman.State != kProgmanExecutePending || sender == e.Progman.Server) {
        const int effect = ProgmanTakeAck(&e.Progman, window, sender, lParam);
        if (effect != kProgmanAckNoExecute) e.Answer = effect;
      }
      return 0;
    case WM_DDE_TERMINATE:
      if (!ProgmanTakeTerminate(&e.Progman, window, sender) && sender == e.Parting) {
        e.Parting = nullptr;
      }
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

HWND CreateClientWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ClientProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClientClass;
  RegisterClassA(&windowClass);  // fails harmlessly when the class exists from an earlier call
  // A hidden top-level window: servers answer it like any other client.
  return CreateWindowExA(0, kClientClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

// The execute was answered, or the server has ended the conversation.
int ExecuteSettled() {
  return g_Exchange.Answer != kProgmanAckNoExecute || !g_Exchange.Progman.Server;
}
int PartingAnswered() { return !g_Exchange.Parting; }

// Dispatches this thread's messages until done() holds or timeoutMs has passed.
void PumpUntil(int (*done)(), DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  MSG message;
  for (;;) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (done()) return;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
  }
}

int PostCommand(const char* command) {
  const SIZE_T size = strlen(command) + 1;
  char* text = nullptr;
  HGLOBAL block = ProgmanNewCommandBlock(size, &text);
  if (!block) return 0;
  memcpy(text, command, size);
  return ProgmanPostCommandBlock(&g_Exchange.Progman, g_Exchange.Client, block);
}

void Disconnect() {
  Exchange& e = g_Exchange;
  // Wait (bounded) for the server's answering terminate before the client window goes. A server
  // that ended the conversation itself has been answered already.
  e.Parting = e.Progman.Server;
  if (ProgmanTerminate(&e.Progman, e.Client)) PumpUntil(PartingAnswered, kTerminateWaitMs);
  e.Parting = nullptr;
}

}  // namespace

int ProgmanExecute(const char* command, DWORD timeoutMs) {
  Exchange& e = g_Exchange;
  memset(&e, 0, sizeof e);
  e.Client = CreateClientWindow();
  if (!e.Client) return kProgmanNoServer;

  int result = kProgmanNoServer;
  if (ProgmanInitiate(&e.Progman, e.Client)) {
    if (!PostCommand(command)) {
      result = kProgmanNotSent;
    } else {
      // Wait for the acknowledgement, or for the server to leave.
      PumpUntil(ExecuteSettled, timeoutMs);
      if (e.Answer == kProgmanAckAccepted) {
        result = kProgmanAccepted;
      } else if (e.Answer == kProgmanAckRefused) {
        result = kProgmanRefused;
      } else {
        // The block stays with the server, which may still read it; a late answer is not taken.
        result = kProgmanNoAnswer;
      }
      e.Progman.State = kProgmanIdle;
    }
    Disconnect();
  }
  DestroyWindow(e.Client);
  e.Client = nullptr;
  return result;
}

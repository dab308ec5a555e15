#include "product/uninstall/progman_execute.h"

#include <dde.h>
#include <string.h>

namespace {

const char kClientClass[] = "PagixProgmanClient";
const char kProgman[] = "PROGMAN";
const DWORD kTerminateWaitMs = 2000;  // for the server's answer to our terminate
// How long one top-level window may take to process the initiate before it is passed over, so
// that a window whose thread has stopped pumping messages cannot hold the uninstaller back.
const UINT kInitiateTimeoutMs = 2000;

// The one conversation of this thread; the client window's procedure fills it in.
struct Conversation {
  HWND Client;
  HWND Server;
  UINT Outstanding;  // WM_DDE_INITIATE or WM_DDE_EXECUTE while an answer is awaited, else 0
  int Acknowledged;  // the execute's acknowledgement has arrived
  int Positive;      // and it was positive
  int ServerLeft;    // the server has sent WM_DDE_TERMINATE
  HGLOBAL Block;     // the posted command block, freed when its acknowledgement arrives
};

Conversation g_Conversation;

void OnAck(HWND sender, LPARAM lParam) {
  Conversation& c = g_Conversation;
  if (c.Outstanding == WM_DDE_INITIATE) {
    // Answers to the initiate are sent, with the two atoms packed plainly into lParam.
    if (!c.Server) {
      c.Server = sender;
    } else {
      PostMessageA(sender, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(c.Client), 0);
    }
    GlobalDeleteAtom(LOWORD(lParam));
    GlobalDeleteAtom(HIWORD(lParam));
  } else if (c.Outstanding == WM_DDE_EXECUTE && sender == c.Server) {
    // A posted acknowledgement carries a packed status / block pair.
    UINT_PTR status = 0, block = 0;
    UnpackDDElParam(WM_DDE_ACK, lParam, &status, &block);
    FreeDDElParam(WM_DDE_ACK, lParam);
    c.Positive = (status & 0x8000) != 0;  // fAck of DDEACK
    c.Acknowledged = 1;
    c.Outstanding = 0;
    // The server is done with the command block; it is ours to free.
    GlobalFree(c.Block);
    c.Block = nullptr;
  }
}

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DDE_ACK:
      OnAck(reinterpret_cast<HWND>(wParam), lParam);
      return 0;
    case WM_DDE_TERMINATE:
      if (reinterpret_cast<HWND>(wParam) == g_Conversation.Server) g_Conversation.ServerLeft = 1;
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

int ExecuteSettled() { return g_Conversation.Acknowledged || g_Conversation.ServerLeft; }
int ServerLeft() { return g_Conversation.ServerLeft; }

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

void Connect() {
  Conversation& c = g_Conversation;
  c.Outstanding = WM_DDE_INITIATE;
  const ATOM application = GlobalAddAtomA(kProgman);
  const ATOM topic = GlobalAddAtomA(kProgman);
  // Sent to every top-level window (deliberately through the all-bits-set handle, which reaches
  // the same windows as HWND_BROADCAST); servers answer with a sent WM_DDE_ACK inside this call.
  // A window that does not process the initiate in time, or whose thread is known to hang, is
  // passed over.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)), WM_DDE_INITIATE,
                      reinterpret_cast<WPARAM>(c.Client), MAKELPARAM(application, topic),
                      SMTO_NORMAL | SMTO_ABORTIFHUNG, kInitiateTimeoutMs, &ignored);
  GlobalDeleteAtom(application);
  GlobalDeleteAtom(topic);
  c.Outstanding = 0;
}

int PostCommand(const char* command) {
  Conversation& c = g_Conversation;
  const SIZE_T size = strlen(command) + 1;
  HGLOBAL block = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, size);
  if (!block) return 0;
  char* text = static_cast<char*>(GlobalLock(block));
  if (!text) {
    GlobalFree(block);
    return 0;
  }
  memcpy(text, command, size);
  GlobalUnlock(block);
  c.Block = block;
  c.Outstanding = WM_DDE_EXECUTE;
  if (!PostMessageA(c.Server, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(c.Client),
                    reinterpret_cast<LPARAM>(block))) {
    c.Outstanding = 0;
    c.Block = nullptr;
    GlobalFree(block);
    return 0;
  }
  return 1;
}

void Disconnect() {
  Conversation& c = g_Conversation;
  if (!c.ServerLeft && IsWindow(c.Server)) {
    PostMessageA(c.Server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(c.Client), 0);
    // Wait (bounded) for the server's answering terminate before the client window goes.
    PumpUntil(ServerLeft, kTerminateWaitMs);
  } else if (c.ServerLeft && IsWindow(c.Server)) {
    // The server ended the conversation first: answer its terminate.
    PostMessageA(c.Server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(c.Client), 0);
  }
  c.Server = nullptr;
}

}  // namespace

int ProgmanExecute(const char* command, DWORD timeoutMs) {
  Conversation& c = g_Conversation;
  memset(&c, 0, sizeof c);
  c.Client = CreateClientWindow();
  if (!c.Client) return kProgmanNoServer;

  int result = kProgmanNoServer;
  Connect();
  if (c.Server) {
    if (!PostCommand(command)) {
      result = kProgmanNotSent;
    } else {
      // Wait for the acknowledgement, or for the server to leave.
      PumpUntil(ExecuteSettled, timeoutMs);
      if (c.Acknowledged) {
        result = c.Positive ? kProgmanAccepted : kProgmanRefused;
      } else {
        // The block stays with the server, which may still read it; it is not freed here.
        result = kProgmanNoAnswer;
      }
      c.Outstanding = 0;
    }
    Disconnect();
  }
  DestroyWindow(c.Client);
  c.Client = nullptr;
  return result;
}

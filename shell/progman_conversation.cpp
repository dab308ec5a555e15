#include "shell/progman_conversation.h"

#include <string.h>

#include "base/system_library.h"

namespace {

const char kProgmanName[] = "PROGMAN";

// The window handle with all bits set: the window manager delivers a message sent to it to
// every top-level window, like one sent to HWND_BROADCAST.
// Deliberately this handle rather than HWND_BROADCAST; both reach the same windows.
HWND const kEveryTopLevelWindow = reinterpret_cast<HWND>(-1);

// How long one top-level window may take to process the initiate before it is passed over. A
// server answers at once; a window whose thread has stopped pumping messages would otherwise
// hold the client back for good.
const UINT kInitiateTimeoutMs = 2000;

const DWORD kMessageFilterAllow = 1;  // MSGFLT_ALLOW

ProgmanMessageFilter FindMessageFilter() {
  return LoadSystemFunctionAs<ProgmanMessageFilter>("user32.dll", "ChangeWindowMessageFilterEx");
}

// Whether the status word of an execute's acknowledgement, a DDEACK, has its fAck bit set.
int Accepted(UINT_PTR status) {
  const WORD word = LOWORD(status);
  DDEACK ack;
  static_assert(sizeof ack == sizeof word, "DDEACK is one status word");
  memcpy(&ack, &word, sizeof ack);
  return ack.fAck;
}

}  // namespace

ProgmanMessageFilter (*g_FindProgmanMessageFilter)() = FindMessageFilter;

int ProgmanInitiate(ProgmanConversation* conversation, HWND client) {
  // The installer and the uninstaller run elevated, the shell does not, and the window manager
  // drops messages from a lower integrity level unless the window lets them through: the
  // servers' answers and terminates would never arrive.
  if (ProgmanMessageFilter allow = g_FindProgmanMessageFilter()) {
    allow(client, WM_DDE_ACK, kMessageFilterAllow, nullptr);
    allow(client, WM_DDE_TERMINATE, kMessageFilterAllow, nullptr);
  }
  conversation->State = kProgmanInitiating;
  // Application and topic are both "PROGMAN"; the second call only raises the reference count.
  const ATOM application = GlobalAddAtomA(kProgmanName);
  const ATOM topic = GlobalAddAtomA(kProgmanName);
  // Servers send (never post) their answers, so every answer reaches ProgmanTakeAck inside this
  // call while the state says "initiating": sent messages are still dispatched while the call
  // waits for each window. A window that does not process the initiate in time, or whose thread
  // is already known to hang, is passed over and the broadcast goes on with the next one.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(kEveryTopLevelWindow, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(client),
                      MAKELPARAM(application, topic), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                      kInitiateTimeoutMs, &ignored);
  GlobalDeleteAtom(application);
  GlobalDeleteAtom(topic);
  conversation->State = kProgmanIdle;
  return conversation->Server != nullptr;
}

HGLOBAL ProgmanNewCommandBlock(SIZE_T size, char** text) {
  HGLOBAL block = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, size);
  if (!block) return nullptr;
  *text = static_cast<char*>(GlobalLock(block));
  if (!*text) {
    // Nothing may be written into a block without an address; it is not sent either.
    GlobalFree(block);
    return nullptr;
  }
  return block;
}

int ProgmanPostCommandBlock(ProgmanConversation* conversation, HWND client, HGLOBAL block) {
  GlobalUnlock(block);
  if (!PostMessageA(conversation->Server, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(client),
                    reinterpret_cast<LPARAM>(block))) {
    GlobalFree(block);
    return 0;
  }
  conversation->State = kProgmanExecutePending;
  return 1;
}

int ProgmanTakeAck(ProgmanConversation* conversation, HWND client, HWND sender, LPARAM lParam) {
  switch (conversation->State) {
    case kProgmanInitiating:
      if (!conversation->Server) {
        conversation->Server = sender;
      } else {
        PostMessageA(sender, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(client), 0);
      }
      // The answer's atoms belong to the client now, whether or not its server was taken.
      GlobalDeleteAtom(LOWORD(lParam));
      GlobalDeleteAtom(HIWORD(lParam));
      break;
    case kProgmanExecutePending: {
      // A posted acknowledgement packs the status with the handle of the command block it
      // answers: the server is done with the block, so it is released here, and then the packed
      // pair itself.
      UINT_PTR status = 0;
      UINT_PTR commands = 0;
      UnpackDDElParam(WM_DDE_ACK, lParam, &status, &commands);
      GlobalFree(reinterpret_cast<HGLOBAL>(commands));
      FreeDDElParam(WM_DDE_ACK, lParam);
      conversation->State = kProgmanIdle;
      return Accepted(status) ? kProgmanAckAccepted : kProgmanAckRefused;
    }
    case kProgmanIdle:
      break;
  }
  return kProgmanAckNoExecute;
}

int ProgmanTakeTerminate(ProgmanConversation* conversation, HWND client, HWND sender) {
  if (!conversation->Server || sender != conversation->Server) return 0;
  conversation->Server = nullptr;
  if (IsWindow(sender)) {
    PostMessageA(sender, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(client), 0);
  }
  return 1;
}

int ProgmanTerminate(ProgmanConversation* conversation, HWND client) {
  HWND server = conversation->Server;
  conversation->Server = nullptr;
  if (!IsWindow(server)) return 0;
  PostMessageA(server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(client), 0);
  return 1;
}

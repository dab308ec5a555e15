#include "shell/progman_dde.h"

#include <dde.h>

#include "base/installer_state.h"
#include "shell/progman_commands.h"

namespace {

const char kProgmanName[] = "PROGMAN";

// The window handle with all bits set: the window manager delivers a message sent to it to
// every top-level window, like one sent to HWND_BROADCAST.
// Deliberately this handle rather than HWND_BROADCAST; both reach the same windows.
HWND const kEveryTopLevelWindow = reinterpret_cast<HWND>(-1);

// How long one top-level window may take to process the initiate before it is passed over. A
// server answers at once; a window whose thread has stopped pumping messages would otherwise
// hold the dialog back for good.
const UINT kInitiateTimeoutMs = 2000;

void ReportExecuteFailed(HWND owner) {
  ReportInstallError(owner, "Program Manager DDE", "execute failed");
}

}  // namespace

void ProgmanConnect(HWND dialog) {
  g_Installer.ProgmanState = kProgmanInitiating;
  // Application and topic are both "PROGMAN"; the second call only raises the reference count.
  ATOM application = GlobalAddAtomA(kProgmanName);
  ATOM topic = GlobalAddAtomA(kProgmanName);
  // Servers send (never post) their answers, so every answer reaches ProgmanOnAck inside this
  // call while the state says "initiating": sent messages are still dispatched while the call
  // waits for each window. A window that does not process the initiate in time, or whose thread
  // is already known to hang, is passed over and the broadcast goes on with the next one.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(kEveryTopLevelWindow, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(dialog),
                      MAKELPARAM(application, topic), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                      kInitiateTimeoutMs, &ignored);
  GlobalDeleteAtom(application);
  GlobalDeleteAtom(topic);
  g_Installer.ProgmanState = kProgmanIdle;
  if (!g_Installer.ProgmanServer) {
    ReportInstallError(dialog, "Cannot establish DDE link", "Program Manager.");
  }
}

void ProgmanCreateGroup(HWND owner, const char* group, const char* destination,
                        const char* const* files, const char* const* titles, int count) {
  if (g_Installer.AbortRequested) return;
  if (!g_Installer.ProgmanServer || g_Installer.ProgmanState != kProgmanIdle) {
    ReportExecuteFailed(owner);
    return;
  }
  size_t size = ProgmanCommandBlockSize(group, destination, files, titles, count);
  HGLOBAL block = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, size);
  if (!block) {
    ReportExecuteFailed(owner);
    return;
  }
  char* commands = static_cast<char*>(GlobalLock(block));
  if (!commands) {
    // Nothing may be written into a block without an address; it is not sent either.
    GlobalFree(block);
    ReportExecuteFailed(owner);
    return;
  }
  FormatProgmanCommands(commands, size, group, destination, files, titles, count);
  GlobalUnlock(block);
  if (PostMessageA(g_Installer.ProgmanServer, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(owner),
                   reinterpret_cast<LPARAM>(block))) {
    // The block now belongs to the conversation; the acknowledgement releases it.
    g_Installer.ProgmanState = kProgmanExecutePending;
    return;
  }
  GlobalFree(block);
  ReportExecuteFailed(owner);
}

void ProgmanDisconnect(HWND dialog) {
  HWND server = g_Installer.ProgmanServer;
  g_Installer.ProgmanServer = nullptr;
  // The server's answering terminate is not awaited; ProgmanOnTerminate ignores it.
  if (IsWindow(server)) {
    PostMessageA(server, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(dialog), 0);
  }
}

void ProgmanOnAck(HWND dialog, HWND sender, LPARAM lParam) {
  switch (g_Installer.ProgmanState) {
    case kProgmanInitiating:
      // The first server to answer holds the conversation; every further one is dismissed.
      if (!g_Installer.ProgmanServer) {
        g_Installer.ProgmanServer = sender;
      } else {
        PostMessageA(sender, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(dialog), 0);
      }
      // The answer's atoms belong to the client now, whether or not its server was taken.
      GlobalDeleteAtom(LOWORD(lParam));
      GlobalDeleteAtom(HIWORD(lParam));
      break;
    case kProgmanExecutePending: {
      // Any answer completes the request; its status is not examined. A posted acknowledgement
      // packs the status with the handle of the command block it answers: the server is done
      // with the block, so it is released here, and then the packed pair itself.
      UINT_PTR status = 0;
      UINT_PTR commands = 0;
      UnpackDDElParam(WM_DDE_ACK, lParam, &status, &commands);
      GlobalFree(reinterpret_cast<HGLOBAL>(commands));
      FreeDDElParam(WM_DDE_ACK, lParam);
      g_Installer.ProgmanState = kProgmanIdle;
      SetFocus(dialog);
      break;
    }
    case kProgmanIdle:
      // Nothing is outstanding: the answer is ignored.
      break;
  }
}

void ProgmanOnTerminate(HWND dialog, HWND sender) {
  // Answers to our own terminate and terminates of dismissed servers are not ours to answer.
  if (sender != g_Installer.ProgmanServer) return;
  g_Installer.ProgmanServer = nullptr;
  if (IsWindow(sender)) {
    PostMessageA(sender, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(dialog), 0);
  }
}

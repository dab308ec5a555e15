#include "shell/progman_dde.h"

#include "base/installer_state.h"
#include "shell/progman_commands.h"
#include "shell/progman_conversation.h"

void ProgmanConnect(HWND dialog) {
  if (!ProgmanInitiate(&g_Installer.Progman, dialog)) {
    ReportInstallError(dialog, "Cannot establish DDE link", "Program Manager.");
  }
}

void ProgmanCreateGroup(HWND owner, const char* group, const char* destination,
                        const char* const* files, const char* const* titles, int count) {
  if (g_Installer.AbortRequested) return;
  ProgmanConversation* conversation = &g_Installer.Progman;
  if (conversation->Server && conversation->State == kProgmanIdle) {
    const size_t size = ProgmanCommandBlockSize(group, destination, files, titles, count);
    char* commands = nullptr;
    HGLOBAL block = ProgmanNewCommandBlock(size, &commands);
    if (block) {
      FormatProgmanCommands(commands, size, group, destination, files, titles, count);
      if (ProgmanPostCommandBlock(conversation, owner, block)) return;
    }
  }
  ReportInstallError(owner, "Program Manager DDE", "execute failed");
}

void ProgmanDisconnect(HWND dialog) {
  // The server's answering terminate is not awaited; ProgmanOnTerminate ignores it.
  ProgmanTerminate(&g_Installer.Progman, dialog);
}

void ProgmanOnAck(HWND dialog, HWND sender, LPARAM lParam) {
  // Any answer to the execute completes the request; its status is not examined.
  if (ProgmanTakeAck(&g_Installer.Progman, dialog, sender, lParam) != kProgmanAckNoExecute) {
    SetFocus(dialog);
  }
}

void ProgmanOnTerminate(HWND dialog, HWND sender) {
  ProgmanTakeTerminate(&g_Installer.Progman, dialog, sender);
}

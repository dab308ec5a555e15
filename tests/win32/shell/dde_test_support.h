// Shared pieces of the DDE client tests: a client window that routes the DDE messages the way the
// installer's dialog does, and bounded message pumps.
#pragma once

#include <windows.h>

#include <functional>

namespace shell_test {

// A visible top-level window whose procedure hands WM_DDE_ACK and WM_DDE_TERMINATE to the
// client's handlers. Before ProgmanOnAck handles an execute acknowledgement, its lParam is
// unpacked into LastAckStatus and LastAckHandle and the size of that block is taken; right after,
// whether the block is gone.
HWND CreateClientWindow(const char* title);

// A top-level window of the class className with the procedure proc (the class is registered on
// first use); param reaches WM_NCCREATE and WM_CREATE.
HWND CreateTestWindow(const char* className, WNDPROC proc, const char* title, DWORD style,
                      const RECT& place, void* param = nullptr);

struct ClientLog {
  int ExecuteAcks = 0;
  UINT_PTR LastAckStatus = 0;
  UINT_PTR LastAckHandle = 0;
  SIZE_T LastAckBlockSize = 0;
  bool LastAckBlockFreed = false;
};
extern ClientLog g_Client;

// Dispatches messages until done() holds or the bound (in milliseconds) has passed; returns
// done().
bool PumpUntil(const std::function<bool()>& done, DWORD boundMs = 5000);
// Dispatches every message that is waiting now (bounded), so a posted message has either
// arrived or was never posted.
void DrainQueue();

}  // namespace shell_test

#include "tests/win32/shell/dde_test_support.h"

#include <dde.h>

#include "app/installer_state.h"
#include "shell/progman_dde.h"

namespace shell_test {

ClientLog g_Client;

namespace {

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DDE_ACK: {
      const bool execute = g_Installer.ProgmanState == kProgmanExecutePending;
      HGLOBAL block = nullptr;
      if (execute) {
        ++g_Client.ExecuteAcks;
        UnpackDDElParam(WM_DDE_ACK, lParam, &g_Client.LastAckStatus, &g_Client.LastAckHandle);
        block = reinterpret_cast<HGLOBAL>(g_Client.LastAckHandle);
        g_Client.LastAckBlockSize = GlobalSize(block);
      }
      ProgmanOnAck(window, reinterpret_cast<HWND>(wParam), lParam);
      // Asked at once, before any later allocation could take the handle over.
      if (execute) g_Client.LastAckBlockFreed = GlobalSize(block) == 0;
      return 0;
    }
    case WM_DDE_TERMINATE:
      ProgmanOnTerminate(window, reinterpret_cast<HWND>(wParam));
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

HWND CreateClientWindow(const char* title) {
  static ATOM registered = 0;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ClientProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PagixTestDdeClient";
    registered = RegisterClassA(&wc);
  }
  return CreateWindowA("PagixTestDdeClient", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                       100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

bool PumpUntil(const std::function<bool()>& done, DWORD boundMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > boundMs) return done();
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
  }
  return true;
}

void DrainQueue() {
  MSG msg;
  for (int i = 0; i < 10000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace shell_test

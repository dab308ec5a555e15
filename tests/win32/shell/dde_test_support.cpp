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

HWND CreateTestWindow(const char* className, WNDPROC proc, const char* title, DWORD style,
                      const RECT& place, void* param) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = className;
  RegisterClassA(&wc);  // fails, harmlessly, once the class is registered
  return CreateWindowA(className, title, style, place.left, place.top, place.right - place.left,
                       place.bottom - place.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                       param);
}

HWND CreateClientWindow(const char* title) {
  return CreateTestWindow("PagixTestDdeClient", ClientProc, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                          {10, 10, 210, 110});
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

// Shared pieces of the DDE client tests: a client window that routes the DDE messages the way the
// installer's dialog does, and bounded message pumps.
#pragma once

#include <windows.h>

#include <functional>

namespace shell_test {

// A visible top-level window whose procedure hands WM_DDE_ACK and WM_DDE_TERMINATE to the
// client's handlers. Before ProgmanOnAck handles an execute acknowledgement, its lParam is
// unpacked into LastAckStatus and LastAckHandle, and the sizes of that block and of the packed
// pair (a global block of its own) are taken; whether each is gone is asked as soon as the
// client's FreeDDElParam of the pair returns (the function is replaced in the program's import
// table when the first client window is made).
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
  SIZE_T LastAckPairSize = 0;
  bool LastAckPairFreed = false;
};
extern ClientLog g_Client;

// Counts, name by name, the global atom references that this program adds and deletes while it
// lives. The global atom table is shared by every program of the Wine session, and others use
// "PROGMAN" too; so the tests count only their own calls. The DDE client is linked into the test
// program and calls through the program's import table, where the two functions are replaced by
// counting ones for the counter's lifetime.
class AtomCounter {
 public:
  AtomCounter();
  ~AtomCounter();
  AtomCounter(const AtomCounter&) = delete;
  AtomCounter& operator=(const AtomCounter&) = delete;
  // False when the import table could not be patched.
  bool Counting() const { return counting_; }
  // References added minus references deleted, for the name in any case.
  int Balance(const char* name) const;

 private:
  bool counting_ = false;
};

// Dispatches messages until done() holds or the bound (in milliseconds) has passed; returns
// done().
bool PumpUntil(const std::function<bool()>& done, DWORD boundMs = 5000);

}  // namespace shell_test

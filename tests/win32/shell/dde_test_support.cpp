#include "tests/win32/shell/dde_test_support.h"

#include <dde.h>

#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/installer_state.h"
#include "shell/progman_dde.h"

namespace shell_test {

ClientLog g_Client;

namespace {

// The acknowledgement that ProgmanOnAck is handling, and FreeDDElParam, which the program's
// import table leads to ProbedFreeDdeParam instead once the first client window is made.
HGLOBAL g_AckBlock = nullptr;
HGLOBAL g_AckPair = nullptr;
using FreeDdeParamFunction = BOOL(WINAPI*)(UINT, LPARAM);
FreeDdeParamFunction g_RealFreeDdeParam = nullptr;

// Asks whether the command block and the packed pair are gone right after the client released
// the pair, its last release: a later allocation (SetFocus makes some) may take the memory over.
BOOL WINAPI ProbedFreeDdeParam(UINT message, LPARAM lParam) {
  const BOOL result = g_RealFreeDdeParam(message, lParam);
  if (g_AckPair && reinterpret_cast<HGLOBAL>(lParam) == g_AckPair) {
    g_Client.LastAckBlockFreed = GlobalSize(g_AckBlock) == 0;
    g_Client.LastAckPairFreed = GlobalSize(g_AckPair) == 0;
  }
  return result;
}

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DDE_ACK: {
      if (g_Installer.Progman.State == kProgmanExecutePending) {
        ++g_Client.ExecuteAcks;
        UnpackDDElParam(WM_DDE_ACK, lParam, &g_Client.LastAckStatus, &g_Client.LastAckHandle);
        g_AckBlock = reinterpret_cast<HGLOBAL>(g_Client.LastAckHandle);
        g_AckPair = reinterpret_cast<HGLOBAL>(lParam);
        g_Client.LastAckBlockSize = GlobalSize(g_AckBlock);
        g_Client.LastAckPairSize = GlobalSize(g_AckPair);
        g_Client.LastAckBlockFreed = g_Client.LastAckPairFreed = false;
      }
      ProgmanOnAck(window, reinterpret_cast<HWND>(wParam), lParam);
      g_AckBlock = g_AckPair = nullptr;
      return 0;
    }
    case WM_DDE_TERMINATE:
      ProgmanOnTerminate(window, reinterpret_cast<HWND>(wParam));
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// The counts of the live AtomCounter, by lower-case name, and the functions its counting ones
// stand in for.
std::map<std::string, int> g_AtomBalance;
bool g_CountingAtoms = false;
using AddAtomFunction = ATOM(WINAPI*)(LPCSTR);
using DeleteAtomFunction = ATOM(WINAPI*)(ATOM);
AddAtomFunction g_RealAddAtom = nullptr;
DeleteAtomFunction g_RealDeleteAtom = nullptr;

std::string LowerName(const char* name) {
  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

ATOM WINAPI CountedAddAtom(LPCSTR name) {
  const ATOM atom = g_RealAddAtom(name);
  if (atom && g_CountingAtoms && !IS_INTRESOURCE(name)) ++g_AtomBalance[LowerName(name)];
  return atom;
}

ATOM WINAPI CountedDeleteAtom(ATOM atom) {
  // The name is read first: the deletion may remove the atom.
  char name[256] = {};
  const bool named = GlobalGetAtomNameA(atom, name, sizeof name) > 0;
  const ATOM result = g_RealDeleteAtom(atom);
  // GlobalDeleteAtom returns 0 when it succeeded.
  if (result == 0 && named && g_CountingAtoms) --g_AtomBalance[LowerName(name)];
  return result;
}

// Every import-table slot of this program that holds the library's function (the program may
// import from a library under more than one descriptor).
std::vector<void**> ImportSlots(const char* library, const char* function) {
  std::vector<void**> slots;
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!imports.VirtualAddress) return slots;
  for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       dll->Name; ++dll) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + dll->Name), library) != 0 ||
        !dll->OriginalFirstThunk) {
      continue;
    }
    auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
    for (; name->u1.AddressOfData; ++name, ++slot) {
      if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
      const auto* byName =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
        slots.push_back(reinterpret_cast<void**>(&slot->u1.Function));
      }
    }
  }
  return slots;
}

bool WriteSlots(const std::vector<void**>& slots, void* value) {
  bool all = !slots.empty();
  for (void** slot : slots) {
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) {
      all = false;
      continue;
    }
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
  }
  return all;
}

}  // namespace

AtomCounter::AtomCounter() {
  const std::vector<void**> adds = ImportSlots("kernel32.dll", "GlobalAddAtomA");
  const std::vector<void**> deletes = ImportSlots("kernel32.dll", "GlobalDeleteAtom");
  if (adds.empty() || deletes.empty()) return;
  g_RealAddAtom = reinterpret_cast<AddAtomFunction>(*adds[0]);
  g_RealDeleteAtom = reinterpret_cast<DeleteAtomFunction>(*deletes[0]);
  g_AtomBalance.clear();
  g_CountingAtoms = true;
  counting_ = WriteSlots(adds, reinterpret_cast<void*>(CountedAddAtom)) &&
              WriteSlots(deletes, reinterpret_cast<void*>(CountedDeleteAtom));
}

AtomCounter::~AtomCounter() {
  g_CountingAtoms = false;
  if (!g_RealAddAtom) return;
  WriteSlots(ImportSlots("kernel32.dll", "GlobalAddAtomA"), reinterpret_cast<void*>(g_RealAddAtom));
  WriteSlots(ImportSlots("kernel32.dll", "GlobalDeleteAtom"),
             reinterpret_cast<void*>(g_RealDeleteAtom));
}

int AtomCounter::Balance(const char* name) const {
  auto found = g_AtomBalance.find(LowerName(name));
  return found == g_AtomBalance.end() ? 0 : found->second;
}

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
  if (!g_RealFreeDdeParam) {
    const std::vector<void**> slots = ImportSlots("user32.dll", "FreeDDElParam");
    if (!slots.empty()) {
      g_RealFreeDdeParam = reinterpret_cast<FreeDdeParamFunction>(*slots[0]);
      WriteSlots(slots, reinterpret_cast<void*>(ProbedFreeDdeParam));
    }
  }
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

}  // namespace shell_test

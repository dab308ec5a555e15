#include "app/desktop_launch.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shobjidl.h>
#include <string.h>

#include "base/system_library.h"
#include "base/text_format.h"
#include "shell/uninstall_entry.h"

namespace {

// The shell's window list (CLSID_ShellWindows) and the service that answers with a window's
// browser (SID_STopLevelBrowser), written out here so that no GUID library is linked.
const CLSID kShellWindowsClass = {
    0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
const GUID kTopLevelBrowserService = {
    0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// The interfaces on the way from the window list to Shell.Application, in that order.
enum {
  kWindowList,
  kDesktop,
  kServices,
  kBrowser,
  kView,
  kBackground,
  kFolderView,
  kApplication,
  kShellDispatch,
  kLinkCount
};

// Asks links[from] for the interface iid into links[to].
int Ask(IUnknown** links, int from, REFIID iid, int to) {
  return SUCCEEDED(links[from]->QueryInterface(iid, reinterpret_cast<void**>(&links[to])));
}

// Walks from the window list to the desktop's Shell.Application; each step only after the one
// before it succeeded.
int FindShellDispatch(IUnknown** links) {
  VARIANT nowhere = {};  // VT_EMPTY: the desktop has no location
  long window = 0;
  IDispatch** desktop = reinterpret_cast<IDispatch**>(&links[kDesktop]);
  return static_cast<IShellWindows*>(links[kWindowList])
                 ->FindWindowSW(&nowhere, &nowhere, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                desktop) == S_OK &&
         Ask(links, kDesktop, __uuidof(IServiceProvider), kServices) &&
         SUCCEEDED(static_cast<IServiceProvider*>(links[kServices])
                       ->QueryService(kTopLevelBrowserService, __uuidof(IShellBrowser),
                                      reinterpret_cast<void**>(&links[kBrowser]))) &&
         SUCCEEDED(static_cast<IShellBrowser*>(links[kBrowser])
                       ->QueryActiveShellView(reinterpret_cast<IShellView**>(&links[kView]))) &&
         SUCCEEDED(static_cast<IShellView*>(links[kView])
                       ->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch),
                                       reinterpret_cast<void**>(&links[kBackground]))) &&
         Ask(links, kBackground, __uuidof(IShellFolderViewDual), kFolderView) &&
         SUCCEEDED(static_cast<IShellFolderViewDual*>(links[kFolderView])
                       ->get_Application(reinterpret_cast<IDispatch**>(&links[kApplication]))) &&
         Ask(links, kApplication, __uuidof(IShellDispatch2), kShellDispatch);
}

// What the shell's thread needs, where it outlives the caller's stack: the caller may stop
// waiting while the thread still waits on the shell.
struct ShellRequest {
  // Who starts the program: 0 nobody yet, 1 the shell (taken by the thread right before it hands
  // the program over, and given back when the shell refuses it), 2 the caller (taken once it has
  // waited), so that it is never started twice.
  volatile LONG Claim;
  int Length;        // of Program, in characters
  int FolderLength;  // of its folder, with the separator
  WCHAR Program[kPathBufferSize];
};
ShellRequest g_Request;

DWORD WINAPI AskDesktopShell(void*) {
  // Every ole32 has the first three calls, every oleaut32 the other two.
  auto initialize = LoadSystemFunctionAs<decltype(&CoInitialize)>("ole32.dll", "CoInitialize");
  auto create = LoadSystemFunctionAs<decltype(&CoCreateInstance)>("ole32.dll", "CoCreateInstance");
  auto uninitialize =
      LoadSystemFunctionAs<decltype(&CoUninitialize)>("ole32.dll", "CoUninitialize");
  auto allocate =
      LoadSystemFunctionAs<decltype(&SysAllocStringLen)>("oleaut32.dll", "SysAllocStringLen");
  auto release = LoadSystemFunctionAs<decltype(&SysFreeString)>("oleaut32.dll", "SysFreeString");
  if (!initialize || !allocate || FAILED(initialize(nullptr))) return 0;

  IUnknown* links[kLinkCount] = {};
  if (SUCCEEDED(create(kShellWindowsClass, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows),
                       reinterpret_cast<void**>(&links[kWindowList]))) &&
      FindShellDispatch(links)) {
    VARIANT nothing = {};
    VARIANT folder = {};
    V_VT(&folder) = VT_BSTR;
    V_BSTR(&folder) = allocate(g_Request.Program, static_cast<UINT>(g_Request.FolderLength));
    VARIANT show = {};
    V_VT(&show) = VT_I4;
    V_I4(&show) = SW_SHOWNORMAL;
    BSTR file = allocate(g_Request.Program, static_cast<UINT>(g_Request.Length));
    if (file && V_BSTR(&folder) && InterlockedCompareExchange(&g_Request.Claim, 1, 0) == 0 &&
        FAILED(static_cast<IShellDispatch2*>(links[kShellDispatch])
                   ->ShellExecute(file, nothing, folder, nothing, show))) {
      g_Request.Claim = 0;
    }
    release(file);
    release(V_BSTR(&folder));
  }
  for (IUnknown* link : links) {
    if (link) link->Release();
  }
  uninitialize();
  return 0;
}

}  // namespace

int LaunchThroughDesktopShell(const char* directory, const char* programFileName) {
  // Without Explorer as the desktop's shell, asking for its window list could start one with the
  // installer's token. Its taskbar tells, also under Wine, whose desktop names no shell window.
  if (!FindWindowA("Shell_TrayWnd", nullptr)) return 0;
  // The shell takes the program and its folder in the backslash form it shows, as wide text; the
  // folder is the program's path up to its name, with the separator, so that a drive's root
  // stays itself ("C:" alone would be the drive's current folder).
  char program[kPathBufferSize];
  g_Request.Length =
      FormatInstalledPath(program, sizeof program, directory, programFileName)
          ? MultiByteToWideChar(CP_ACP, 0, program, -1, g_Request.Program, kPathBufferSize) - 1
          : -1;
  g_Request.FolderLength = g_Request.Length - static_cast<int>(strlen(programFileName));
  if (g_Request.FolderLength < 1) return 0;
  g_Request.Claim = 0;
  HANDLE thread = CreateThread(nullptr, 0, AskDesktopShell, nullptr, 0, nullptr);
  // Nothing is pumped meanwhile, so no install step runs again inside the wait. Without a
  // thread the wait fails at once, and the caller takes the program.
  WaitForSingleObject(thread, kShellLaunchWaitMs);
  CloseHandle(thread);
  return InterlockedCompareExchange(&g_Request.Claim, 2, 0) != 0;
}

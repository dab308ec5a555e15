#include "paths/directory_chooser.h"

#include <commdlg.h>
#include <dlgs.h>

#include "base/system_library.h"
#include "base/text_format.h"
#include "paths/chooser_text.h"
#include "paths/path_text.h"
#include "resources/resource.h"

char ChosenDirectoryText[kPathBufferSize];

namespace {

// Set by the hook when the directory text did not fit ChosenDirectoryText and was cut.
int g_ChosenDirectoryCut;

// Set by the hook while the highlight in the directory list has moved since the chooser last
// opened a folder: Enter in the list then opens the highlighted folder rather than taking the open
// one.
int g_HighlightMoved;

const char kChooserTitle[] = "Directory Selection";
// One pair "All Files" / "*.*" and the terminating empty string.
const char kChooserFilter[] = "All Files\0*.*\0";
const char kAllFiles[] = "*.*";

// The current-directory control's own window procedure, which FollowOpenFolder passes on to.
WNDPROC g_OpenFolderSource;

// The current-directory control's procedure while the chooser is open: every text the dialog
// gives it (a new folder or drive) is shown on the chooser's own line as well.
LRESULT CALLBACK FollowOpenFolder(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallWindowProcA(g_OpenFolderSource, control, message, wParam, lParam);
  if (message == WM_SETTEXT) {
    SetDlgItemTextA(GetParent(control), IDC_CHOOSER_OPEN_FOLDER, reinterpret_cast<LPCSTR>(lParam));
  }
  return result;
}

// The one place where COMDLG32 is called. It is loaded from the system folder when Browse is
// first pressed, never found by the DLL search, so a planted comdlg32.dll is not loaded.
BOOL RunOpenFileDialog(OPENFILENAMEA* description) {
  auto open = LoadSystemFunctionAs<decltype(&GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
  return open && open(description);
}

}  // namespace

UINT_PTR CALLBACK DirectoryChooserHook(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    // The dialog has set its current-directory control already; the line follows it from here.
    HWND openFolder = GetDlgItem(dialog, stc1);
    g_OpenFolderSource = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(openFolder, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FollowOpenFolder)));
    char text[kPathBufferSize];
    GetWindowTextA(openFolder, text, sizeof text);
    SetDlgItemTextA(dialog, IDC_CHOOSER_OPEN_FOLDER, text);
    return 0;  // the dialog places the keyboard focus as without the hook
  }
  if (message == WM_COMMAND) {
    // The control's id and its notification, as one number.
    const WPARAM command = wParam;
    if (command == MAKEWPARAM(lst2, LBN_SELCHANGE)) g_HighlightMoved = 1;
    // A double-click opens the highlighted folder; another drive lists its own folder.
    if (command == MAKEWPARAM(lst2, LBN_DBLCLK) || command == MAKEWPARAM(cmb2, CBN_SELCHANGE)) {
      g_HighlightMoved = 0;
    }
    // Enter in the directory list sends OK; with a folder highlighted it opens that folder, as a
    // double-click does, and the chooser stays open.
    if (command != IDOK || !g_HighlightMoved) return 0;
    HWND list = GetDlgItem(dialog, lst2);
    if (GetFocus() != list) return 0;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(lst2, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    return 1;
  }
  if (message != WM_DESTROY) return 0;
  g_ChosenDirectoryCut = GetWindowTextLengthA(GetDlgItem(dialog, stc1)) >= kPathBufferSize;
  GetDlgItemTextA(dialog, stc1, ChosenDirectoryText, sizeof ChosenDirectoryText);
  return 1;
}

int ChooseDirectory(HWND owner, char* path) {
  char initialFolder[kPathBufferSize];
  char fileName[kPathBufferSize];
  ComputeInitialFolder(initialFolder, path);
  CopyText(fileName, sizeof fileName, kAllFiles);
  ChosenDirectoryText[0] = '\0';
  g_ChosenDirectoryCut = 0;
  g_HighlightMoved = 0;

  OPENFILENAMEA description = {};
  // The record's size without the fields added in Windows 2000: the old-style dialog.
  description.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  description.hwndOwner = owner;
  description.lpstrFilter = kChooserFilter;
  description.nFilterIndex = 1;
  description.lpstrFile = fileName;
  description.nMaxFile = sizeof fileName;
  description.lpstrInitialDir = initialFolder;
  description.lpstrTitle = kChooserTitle;
  description.Flags = OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_NOVALIDATE;
  description.lpfnHook = DirectoryChooserHook;
  description.lpTemplateName = IDD_DIRECTORY_CHOOSER;
  if (!RunOpenFileDialog(&description)) return 0;
  // A cut directory text, or one without room for its pattern, would name another folder.
  if (g_ChosenDirectoryCut) return 0;
  return ComposeChosenPath(path, ChosenDirectoryText);
}

// Pagix.exe: the installed program. Its window shows where it is installed and which books are
// installed (from PGN/Pagix_books.def below its own folder), with a Close button.
#include <windows.h>

#include "base/code_page_win.h"
#include "base/manifest.h"
#include "base/path_scan.h"
#include "base/text_format.h"
#include "product/pagix/book_list.h"
#include "product/pagix/pagix_resource.h"

namespace {

enum {
  kBooksFileLimit = 8192,  // the list file is read up to this many bytes
  kMaxBooks = 64
};

const char kBooksRelativePath[] = "PGN\\Pagix_books.def";

char g_Folder[kPathBufferSize];  // the program's own folder, with a trailing backslash

// The folder of this program's file: everything up to and including its last separator; empty
// when the file's path cannot be read whole.
void FindOwnFolder(char* out, size_t size) {
  char path[kPathBufferSize];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length >= sizeof path) length = 0;
  path[LastSegmentStart(path, length)] = '\0';
  CopyText(out, size, path);
}

// Reads up to size bytes of the book list into text; returns the number of bytes read, or -1
// when the file cannot be opened.
int ReadBooksFile(const char* path, char* text, DWORD size) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  DWORD total = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, text + total, size - total, &got, nullptr) || got == 0) break;
    total += got;
    if (total == size) break;
  }
  CloseHandle(file);
  return static_cast<int>(total);
}

void FillBookList(HWND list) {
  // On the stack: the list is read once, while the window is made.
  char text[kBooksFileLimit];
  BookEntry books[kMaxBooks];
  char path[kPathBufferSize];
  char line[kBookTitleSize + kBookAuthorSize + kBookYearSize + 8];
  if (!FormatText(path, sizeof path, "%s%s", g_Folder, kBooksRelativePath)) {
    SendMessageA(list, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>("(The book list path is too long.)"));
    return;
  }
  const int size = ReadBooksFile(path, text, sizeof text);
  if (size < 0) {
    FormatText(line, sizeof line, "(No book list: %s)", path);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    return;
  }
  const int count = ParseBookList(text, static_cast<size_t>(size), books, kMaxBooks);
  for (int i = 0; i < count; ++i) {
    FormatBookLine(&books[i], line, sizeof line);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  }
  if (count == 0) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("(No books are installed.)"));
  }
}

INT_PTR CALLBACK PagixDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC: {
      // The face and the labels in the system's colours for a dialog's face and its text, which
      // a colour scheme sets to a pair that can be told apart.
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_INITDIALOG:
      // The title is the product's name and version, the same text as its Add/Remove Programs
      // entry.
      SetWindowTextA(dialog, kUninstallDisplayName);
      SendMessageA(dialog, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(LoadIconA(nullptr, IDI_APPLICATION)));
      SetDlgItemTextA(dialog, IDC_PAGIX_FOLDER, g_Folder);
      FillBookList(GetDlgItem(dialog, IDC_PAGIX_BOOKS));
      SetFocus(GetDlgItem(dialog, IDCANCEL));
      return FALSE;  // the focus is set
    case WM_COMMAND:
      // Close, Enter and Escape (and the window's close box) arrive as IDCANCEL or IDOK.
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  UseAnsiCodePageLeadBytes();
  FindOwnFolder(g_Folder, sizeof g_Folder);
  // The dialog is shown once it is complete, with its list filled.
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PAGIX), nullptr, PagixDialogProc, 0) == 0
             ? 0
             : 1;
}

// Pagix.exe: the installed program. Its window shows where it is installed and which books are
// installed (from PGN/Pagix_books.def below its own folder), with a Close button.
#include <windows.h>

#include "base/code_page_win.h"
#include "base/manifest.h"
#include "base/text_format.h"
#include "product/pagix/book_list.h"

namespace {

enum {
  kBooksFileLimit = 8192,  // the list file is read up to this many bytes
  kMaxBooks = 64,
  kFolderLabelId = 100,
  kFolderTextId = 101,
  kBooksLabelId = 102,
  kBookListId = 103,
  kWindowWidth = 460,
  kWindowHeight = 320
};

const char kWindowClass[] = "PagixMainWindow";
const char kBooksRelativePath[] = "PGN\\Pagix_books.def";

char g_Folder[kPathBufferSize];  // the program's own folder, with a trailing backslash

// The folder of this program's file: everything up to and including its last separator.
void FindOwnFolder(char* out, size_t size) {
  char path[kPathBufferSize];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) {
    CopyText(out, size, "");
    return;
  }
  // Forwards, by characters: a second byte 0x5C is no separator.
  DWORD cut = 0;
  for (DWORD i = 0; i < length; i += static_cast<DWORD>(CharacterLength(path + i))) {
    if (path[i] == '\\' || path[i] == '/') cut = i + 1;
  }
  path[cut] = '\0';
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

HWND AddControl(HWND parent, const char* className, const char* text, DWORD style, int x, int y,
                int width, int height, int id) {
  HWND control = CreateWindowExA(className[0] == 'L' ? WS_EX_CLIENTEDGE : 0, className, text,
                                 WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return control;
}

void CreateControls(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const int width = client.right - 24;
  AddControl(window, "STATIC", "Installed in:", SS_LEFT, 12, 12, width, 16, kFolderLabelId);
  AddControl(window, "STATIC", g_Folder, SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 12, 30, width, 16,
             kFolderTextId);
  AddControl(window, "STATIC", "Installed books:", SS_LEFT, 12, 56, width, 16, kBooksLabelId);
  HWND list =
      AddControl(window, "LISTBOX", "", WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT | LBS_NOSEL,
                 12, 74, width, client.bottom - 74 - 48, kBookListId);
  HWND close = AddControl(window, "BUTTON", "Close", BS_DEFPUSHBUTTON | WS_TABSTOP,
                          client.right - 12 - 88, client.bottom - 12 - 26, 88, 26, IDCANCEL);
  FillBookList(list);
  SetFocus(close);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls(window);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) DestroyWindow(window);
      return 0;
    case WM_CTLCOLORSTATIC:
      // Labels on the window's own background colour.
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  UseAnsiCodePageLeadBytes();
  FindOwnFolder(g_Folder, sizeof g_Folder);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassA(&windowClass)) return 1;

  // The title is the product's name and version, the same text as its Add/Remove Programs entry.
  HWND window = CreateWindowExA(0, kWindowClass, kUninstallDisplayName,
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                CW_USEDEFAULT, CW_USEDEFAULT, kWindowWidth, kWindowHeight, nullptr,
                                nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, showCommand);
  UpdateWindow(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // Tab moves between the controls; Escape and Enter reach the window as IDCANCEL and IDOK.
    if (IsDialogMessageA(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

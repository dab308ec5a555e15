#include "tests/support/wine_test_support.h"

#include <gtest/gtest.h>
#include <algorithm>

#include <cctype>
#include <cstdio>

namespace pagix_test {
namespace {

// Control ids of the platform's message box template: the text, and the icon (20 in Windows'
// template, 0x0440 in Wine's).
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconIds[] = {20, 0x0440};

MessageBoxAnswerer* g_active_answerer = nullptr;

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}

// HKEY_LOCAL_MACHINE\keyPath opened for reading in the registry view given, or null.
HKEY OpenForReading(const std::string& keyPath, REGSAM view) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ | view, &key);
  return status == ERROR_SUCCESS ? key : nullptr;
}

std::string WindowText(HWND window) {
  char text[2048] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string IconName(HWND box) {
  HWND icon_control = nullptr;
  for (int id : kMessageBoxIconIds) {
    if (!icon_control) icon_control = GetDlgItem(box, id);
  }
  if (!icon_control) return "none";
  HICON icon = reinterpret_cast<HICON>(SendMessageA(icon_control, STM_GETICON, 0, 0));
  if (!icon) return "none";
  for (const StandardIcon& k : kStandardIcons) {
    if (LoadIconA(nullptr, k.Id) == icon) return k.Name;
  }
  return "other";
}

}  // namespace

SeenBox DescribeMessageBox(HWND box) {
  SeenBox seen;
  seen.Caption = WindowText(box);
  seen.Text = WindowText(GetDlgItem(box, kMessageBoxTextId));
  seen.Owner = GetWindow(box, GW_OWNER);
  seen.Icon = IconName(box);
  const int ids[] = {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO};
  for (int id : ids) {
    HWND button = GetDlgItem(box, id);
    // The box itself is not visible yet when it is activated, so the button's own style is
    // asked rather than IsWindowVisible.
    if (button && (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE)) seen.Buttons.push_back(id);
  }
  return seen;
}

void PressDialogButton(HWND dialog, int buttonId) {
  HWND button = GetDlgItem(dialog, buttonId);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> answers) : answers_(std::move(answers)) {
  g_active_answerer = this;
  hook_ = SetWindowsHookExA(WH_CBT, &MessageBoxAnswerer::Hook, nullptr, GetCurrentThreadId());
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  if (hook_) UnhookWindowsHookEx(hook_);
  if (g_active_answerer == this) g_active_answerer = nullptr;
}

LRESULT CALLBACK MessageBoxAnswerer::Hook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && g_active_answerer) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char class_name[64] = {};
    GetClassNameA(window, class_name, sizeof class_name);
    if (std::string(class_name) == "#32770") g_active_answerer->Handle(window);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxAnswerer::Handle(HWND box) {
  if (std::find(ignored_.begin(), ignored_.end(), box) != ignored_.end()) return;
  // A box is activated more than once (for example when focus returns to it); answer it once.
  if (GetPropA(box, "PagixTestAnswered")) return;
  SetPropA(box, "PagixTestAnswered", reinterpret_cast<HANDLE>(1));
  SeenBox seen = DescribeMessageBox(box);
  if (next_ < answers_.size()) {
    seen.Answer = answers_[next_++];
  } else {
    const int fallbacks[] = {IDCANCEL, IDNO, IDOK};
    for (int id : fallbacks) {
      if (std::find(seen.Buttons.begin(), seen.Buttons.end(), id) != seen.Buttons.end()) {
        seen.Answer = id;
        break;
      }
    }
  }
  seen_.push_back(seen);
  if (OnBox) OnBox(box, OnBoxContext);
  PressDialogButton(box, seen.Answer);
}

const StandardIcon kStandardIcons[4] = {{IDI_ERROR, "error"},
                                        {IDI_QUESTION, "question"},
                                        {IDI_WARNING, "warning"},
                                        {IDI_INFORMATION, "information"}};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return done();
    Sleep(20);
  }
}

HWND WaitForWindow(const std::function<HWND()>& find, DWORD timeoutMs) {
  HWND window = nullptr;
  WaitUntil([&] { return (window = find()) != nullptr; }, timeoutMs);
  return window;
}

void DrainQueue() {
  MSG message;
  for (int i = 0; i < 10000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

std::vector<std::string> ListBoxLines(HWND list) {
  std::vector<std::string> lines;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, kWaitMs, &count)) return lines;
  for (DWORD_PTR i = 0; i < count; ++i) {
    wchar_t wide[MAX_PATH * 2] = {};
    char line[MAX_PATH * 2] = {};
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_NORMAL, kWaitMs, &length) &&
        length < MAX_PATH * 2) {
      SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide), SMTO_NORMAL, kWaitMs,
                          &length);
      WideCharToMultiByte(CP_ACP, 0, wide, -1, line, sizeof line, nullptr, nullptr);
    }
    lines.push_back(line);
  }
  return lines;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

DWORD ProcessOf(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return processId;
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
  std::vector<HWND> all;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  if (processId == 0) return all;
  std::vector<HWND> mine;
  for (HWND window : all) {
    if (ProcessOf(window) == processId) mine.push_back(window);
  }
  return mine;
}

HWND FindTopLevel(const std::string& caption, DWORD processId, const char* className) {
  for (HWND window : TopLevelWindows(processId)) {
    if (!IsWindowVisible(window)) continue;
    if (className && ClassOf(window) != className) continue;
    // The caption of a top-level window is kept by the window manager; no message is needed.
    if (caption == WindowText(window)) return window;
  }
  return nullptr;
}

int CloseWindowsCaptioned(const std::string& caption, bool waitForProcess) {
  int closed = 0;
  while (HWND window = FindTopLevel(caption)) {
    HANDLE process = nullptr;
    if (waitForProcess) process = OpenProcess(SYNCHRONIZE, FALSE, ProcessOf(window));
    PostMessageA(window, WM_CLOSE, 0, 0);
    WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); });
    if (process) {
      WaitForSingleObject(process, kWaitMs);
      CloseHandle(process);
    }
    ++closed;
    if (closed > 20) break;  // a window that refuses to close; give up rather than spin
  }
  return closed;
}

Process StartProcess(const std::string& commandLine, const std::string& directory,
                     const std::string* environment) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::string line = commandLine;
  std::string block = environment ? *environment + '\0' : std::string();
  Process process;
  if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0,
                     environment ? &block[0] : nullptr, directory.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    process.Handle = info.hProcess;
    process.Id = info.dwProcessId;
  }
  return process;
}

long WaitForExit(HANDLE process, DWORD timeoutMs) {
  DWORD code = 0;
  const bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return ended ? static_cast<long>(code) : -1;
}

int RunTestsOnPrivateDesktop(const char* name, int argc, char** argv,
                             void (*readArguments)(int argc, char** argv)) {
  if (!EnterPrivateDesktop(name)) {
    std::fprintf(stderr, "cannot enter a private desktop\n");
    return 1;
  }
  testing::InitGoogleTest(&argc, argv);
  if (readArguments) readArguments(argc, argv);
  return RUN_ALL_TESTS();
}

std::string ToWinePath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  return "Z:" + Backslashed(path);
}

std::string PathArgument(int argc, char** argv, const std::string& prefix) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind(prefix, 0) == 0) return ToWinePath(argument.substr(prefix.size()));
  }
  return std::string();
}

bool EnterPrivateDesktop(const char* name) {
  HWINSTA station = CreateWindowStationA(name, 0, WINSTA_ALL_ACCESS, nullptr);
  if (!station || !SetProcessWindowStation(station)) return false;
  HDESK desktop = CreateDesktopA(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  return desktop && SetThreadDesktop(desktop);
}

bool RunsUnderWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::string RegistryValue::Text() const {
  if (Type == REG_DWORD && Data.size() == 4) return std::string();
  return !Data.empty() && Data.back() == '\0' ? Data.substr(0, Data.size() - 1) : Data;
}

DWORD RegistryValue::Number() const {
  if (Type != REG_DWORD || Data.size() != 4) return 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(Data.data());
  return static_cast<DWORD>(bytes[0] | bytes[1] << 8 | bytes[2] << 16) |
         static_cast<DWORD>(bytes[3]) << 24;
}

bool RegistryKeyExists(const std::string& keyPath, REGSAM view) {
  HKEY key = OpenForReading(keyPath, view);
  if (key) RegCloseKey(key);
  return key != nullptr;
}

RegistryValue ReadRegistryValue(const std::string& keyPath, const std::string& name, REGSAM view) {
  RegistryValue value;
  HKEY key = OpenForReading(keyPath, view);
  if (!key) return value;
  // Asked for its size first, so that a value of any length is read whole.
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &value.Type, nullptr, &size) == ERROR_SUCCESS) {
    std::vector<BYTE> data(size + 1);
    if (RegQueryValueExA(key, name.c_str(), nullptr, &value.Type, data.data(), &size) ==
        ERROR_SUCCESS) {
      value.Present = true;
      value.Data.assign(reinterpret_cast<const char*>(data.data()), size);
    }
  }
  RegCloseKey(key);
  return value;
}

std::vector<std::string> RegistryValueNames(const std::string& keyPath, REGSAM view) {
  std::vector<std::string> names;
  HKEY key = OpenForReading(keyPath, view);
  if (!key) return names;
  std::vector<char> name(16384);  // the longest name a value can have, and its terminator
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumValueA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name.data(), length);
  }
  RegCloseKey(key);
  std::sort(names.begin(), names.end());
  return names;
}

bool WriteRegistryText(const std::string& keyPath, const std::string& name,
                       const std::string& text) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG status =
      RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

ScratchFolder::ScratchFolder(const char* tag) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  std::string base = temp;
  if (!base.empty() && base.back() == '\\') base.pop_back();
  for (unsigned attempt = 0;; ++attempt) {
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "%s\\pgx-%s-%lu-%u", base.c_str(), tag,
                  static_cast<unsigned long>(GetCurrentProcessId()), attempt);
    if (CreateDirectoryA(name, nullptr)) {
      path_ = name;
      break;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  // Leave the folder first so that it can be removed.
  char windows_dir[MAX_PATH] = {};
  GetWindowsDirectoryA(windows_dir, sizeof windows_dir);
  SetCurrentDirectoryA(windows_dir);
  RemoveTree(path_);
}

std::string ScratchFolder::Join(const std::string& relative) const {
  std::string rel = relative;
  std::replace(rel.begin(), rel.end(), '/', '\\');
  return path_ + "\\" + rel;
}

std::string ScratchFolder::AsDestination() const {
  std::string dest = path_;
  std::replace(dest.begin(), dest.end(), '\\', '/');
  return dest + "/";
}

RootFolder::RootFolder(const std::string& name) : path_("C:\\" + name) {
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

RootFolder::~RootFolder() {
  SetCurrentDirectoryA("C:\\");
  RemoveTree(path_);
}

std::string Backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> entries;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") entries.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(entries.begin(), entries.end());
  return entries;
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<unsigned char> ReadWholeFile(const std::string& path) {
  std::vector<unsigned char> bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  unsigned char piece[4096];
  size_t n;
  while ((n = std::fread(piece, 1, sizeof piece, file)) > 0)
    bytes.insert(bytes.end(), piece, piece + n);
  std::fclose(file);
  return bytes;
}

bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

std::string CurrentDirectory() {
  char directory[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof directory, directory);
  return directory;
}

}  // namespace pagix_test

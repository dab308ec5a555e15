#include "tests/e2e/installer_driver.h"

#include <algorithm>
#include <cstdio>

#include "tests/support/wine_test_support.h"

namespace pagix_e2e {
namespace {

constexpr int kMessageTextId = 0xFFFF;
constexpr char kDialogClass[] = "#32770";

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}

bool IsDialogOf(HWND window, DWORD processId) {
  return ProcessOf(window) == processId && ClassOf(window) == kDialogClass;
}

std::string Hex(const void* value) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", value);
  return text;
}

}  // namespace

std::string ToWinePath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string converted = "Z:" + path;
  std::replace(converted.begin(), converted.end(), '/', '\\');
  return converted;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return done();
    Sleep(20);
  }
}

std::string TextOf(HWND window) {
  char text[2048] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_NORMAL, 5000, &copied)) {
    return std::string();
  }
  return std::string(text, std::min<size_t>(copied, sizeof text - 1));
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
    char text[512] = {};
    // The caption of a top-level window is kept by the window manager; no message is needed.
    GetWindowTextA(window, text, sizeof text);
    if (caption == text) return window;
  }
  return nullptr;
}

BoxView ViewMessageBox(HWND box) {
  pagix_test::SeenBox seen = pagix_test::DescribeMessageBox(box);
  BoxView view;
  view.Window = box;
  view.Caption = TextOf(box);
  view.Text = TextOf(GetDlgItem(box, kMessageTextId));
  view.Owner = seen.Owner;
  view.Icon = seen.Icon;
  view.Buttons = seen.Buttons;
  view.Topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  return view;
}

std::string ButtonNames(const std::vector<int>& ids) {
  std::string names;
  for (int id : ids) {
    const char* name = id == IDOK       ? "OK"
                       : id == IDCANCEL ? "Cancel"
                       : id == IDYES    ? "Yes"
                       : id == IDNO     ? "No"
                                        : "other";
    if (!names.empty()) names += "/";
    names += name;
  }
  return names;
}

bool SendSync(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kWaitMs, &answer)) {
    return false;
  }
  if (result) *result = static_cast<LRESULT>(answer);
  return true;
}

InstallerProcess::~InstallerProcess() {
  if (!info_.hProcess) return;
  if (Running()) {
    // A failed scenario may leave the installer waiting for an answer; it must not outlive the
    // scenario and hold the destination open.
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool InstallerProcess::Start(const std::string& setupPath, const std::string& desktop,
                             std::string* error) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::string desktopName = desktop;
  if (!desktopName.empty()) startup.lpDesktop = &desktopName[0];
  std::string commandLine = "\"" + setupPath + "\"";
  if (!CreateProcessA(setupPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      "C:\\", &startup, &info_)) {
    info_ = PROCESS_INFORMATION();
    if (error)
      *error = "cannot start " + setupPath + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  return true;
}

bool InstallerProcess::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND InstallerProcess::FindDialog(bool visibleOnly) const {
  for (HWND window : TopLevelWindows(Id())) {
    if (!IsDialogOf(window, Id()) || !GetDlgItem(window, kDestinationField)) continue;
    if (visibleOnly && !IsWindowVisible(window)) continue;
    return window;
  }
  return nullptr;
}

HWND InstallerProcess::WaitForDialog(std::string* error) {
  HWND dialog = nullptr;
  if (WaitUntil([&] { return (dialog = FindDialog()) != nullptr || !Running(); }) && dialog) {
    return dialog;
  }
  if (error) {
    *error = Running() ? "the installer's dialog did not appear within 20 s; windows: " +
                             DescribeWindows()
                       : "the installer ended before its dialog appeared";
  }
  return nullptr;
}

HWND InstallerProcess::FindMessageBox() const {
  for (HWND window : TopLevelWindows(Id())) {
    if (!IsDialogOf(window, Id()) || !IsWindowVisible(window)) continue;
    // The main dialog and the chooser have unnamed statics (id 0xFFFF) too.
    if (GetDlgItem(window, kDestinationField) || GetDlgItem(window, kChooserDirectoryList)) {
      continue;
    }
    if (GetDlgItem(window, kMessageTextId)) return window;
  }
  return nullptr;
}

HWND InstallerProcess::WaitForMessageBox(std::string* error) {
  HWND box = nullptr;
  if (WaitUntil([&] { return (box = FindMessageBox()) != nullptr || !Running(); }) && box) {
    return box;
  }
  if (error) {
    *error = Running() ? "no message box of the installer appeared within 20 s; windows: " +
                             DescribeWindows()
                       : "the installer ended without showing a message box";
  }
  return nullptr;
}

bool InstallerProcess::WaitUntilClosed(HWND window, std::string* error) {
  if (WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); })) return true;
  if (error) *error = "window " + Hex(window) + " was still open after 20 s";
  return false;
}

HWND InstallerProcess::FindChooser() const {
  for (HWND window : TopLevelWindows(Id())) {
    if (IsDialogOf(window, Id()) && IsWindowVisible(window) &&
        GetDlgItem(window, kChooserDirectoryList)) {
      return window;
    }
  }
  return nullptr;
}

HWND InstallerProcess::WaitForChooser(std::string* error) {
  HWND chooser = nullptr;
  if (WaitUntil([&] { return (chooser = FindChooser()) != nullptr || !Running(); }) && chooser) {
    return chooser;
  }
  if (error)
    *error = "the folder chooser did not appear within 20 s; windows: " + DescribeWindows();
  return nullptr;
}

bool InstallerProcess::WaitForExit(DWORD* exitCode, std::string* error, DWORD timeoutMs) {
  if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    if (error) {
      *error = "the installer did not end within " + std::to_string(timeoutMs / 1000) +
               " s; windows: " + DescribeWindows();
    }
    return false;
  }
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  if (exitCode) *exitCode = code;
  return true;
}

std::string InstallerProcess::DescribeWindows() const {
  std::string description;
  for (HWND window : TopLevelWindows(Id())) {
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (!description.empty()) description += ", ";
    description += Hex(window) + " " + ClassOf(window) + " \"" + caption + "\"" +
                   (IsWindowVisible(window) ? " visible" : " hidden");
    if (HWND text = GetDlgItem(window, kMessageTextId)) {
      if (!GetDlgItem(window, kDestinationField)) description += " text \"" + TextOf(text) + "\"";
    }
  }
  return description.empty() ? "(none)" : description;
}

std::string FieldText(HWND dialog) { return TextOf(GetDlgItem(dialog, kDestinationField)); }

bool SetFieldText(HWND dialog, const std::string& text) {
  LRESULT done = 0;
  return SendSync(GetDlgItem(dialog, kDestinationField), WM_SETTEXT, 0,
                  reinterpret_cast<LPARAM>(text.c_str()), &done) &&
         done == TRUE;
}

void Press(HWND dialog, int buttonId) { pagix_test::PressDialogButton(dialog, buttonId); }

bool InstallControlsEnabled(HWND dialog) {
  return IsWindowEnabled(GetDlgItem(dialog, IDOK)) &&
         IsWindowEnabled(GetDlgItem(dialog, kBrowseButton)) &&
         IsWindowEnabled(GetDlgItem(dialog, kDestinationField));
}

bool InstallControlsDisabled(HWND dialog) {
  return !IsWindowEnabled(GetDlgItem(dialog, IDOK)) &&
         !IsWindowEnabled(GetDlgItem(dialog, kBrowseButton)) &&
         !IsWindowEnabled(GetDlgItem(dialog, kDestinationField));
}

bool Answer(InstallerProcess& installer, HWND box, int buttonId, std::string* error) {
  pagix_test::PressDialogButton(box, buttonId);
  return installer.WaitUntilClosed(box, error);
}

}  // namespace pagix_e2e

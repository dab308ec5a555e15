#include "tests/e2e/installer_driver.h"

#include <algorithm>
#include <cstdio>

#include "tests/e2e/screenshot.h"
#include "tests/support/wine_test_support.h"

namespace pagix_e2e {
namespace {

constexpr int kMessageTextId = 0xFFFF;
constexpr char kDialogClass[] = "#32770";

bool IsDialogOf(HWND window, DWORD processId) {
  return ProcessOf(window) == processId && ClassOf(window) == kDialogClass;
}

// Renders one of this process's standard icons as a box would show it: over the background
// colour, at the given size.
RgbImage RenderIcon(LPCSTR which, int width, int height, COLORREF background) {
  RgbImage image;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) {
    DeleteDC(dc);
    return image;
  }
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all = {0, 0, width, height};
  HBRUSH brush = CreateSolidBrush(background);
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  DrawIconEx(dc, 0, 0, LoadIconA(nullptr, which), width, height, 0, nullptr, DI_NORMAL);
  GdiFlush();
  image.Width = width;
  image.Height = height;
  const auto* bgrx = static_cast<const std::uint8_t*>(bits);
  for (size_t i = 0, n = static_cast<size_t>(width) * static_cast<size_t>(height); i < n; ++i) {
    image.Pixels.push_back(bgrx[i * 4 + 2]);
    image.Pixels.push_back(bgrx[i * 4 + 1]);
    image.Pixels.push_back(bgrx[i * 4]);
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return image;
}

// The standard icon that a message box shows, told by its pixels: the icon handle of another
// process's box cannot be compared with this process's own handles.
std::string IdentifyBoxIcon(HWND box) {
  HWND control = GetDlgItem(box, 0x0440);       // Wine's message box template
  if (!control) control = GetDlgItem(box, 20);  // Windows' one
  if (!control || !IsWindowVisible(control)) return "none";
  bool settled = false;
  CaptureSettled(box, 2000, &settled);
  RECT area;
  GetWindowRect(control, &area);
  RgbImage shown = CaptureScreen(area);
  if (shown.Width != area.right - area.left || shown.Height != area.bottom - area.top) {
    return "unknown";  // not (wholly) on a screen that this process can read
  }
  const COLORREF background = RGB(shown.Pixels[0], shown.Pixels[1], shown.Pixels[2]);
  std::string best = "other";
  size_t bestMatches = 0;
  for (const pagix_test::StandardIcon& candidate : pagix_test::kStandardIcons) {
    RgbImage drawn = RenderIcon(candidate.Id, shown.Width, shown.Height, background);
    if (drawn.Pixels.size() != shown.Pixels.size()) continue;
    size_t matches = 0;
    for (size_t i = 0; i + 2 < shown.Pixels.size(); i += 3) {
      if (std::equal(&shown.Pixels[i], &shown.Pixels[i] + 3, &drawn.Pixels[i])) ++matches;
    }
    if (matches > bestMatches) {
      bestMatches = matches;
      best = candidate.Name;
    }
  }
  // Nine pixels in ten alike, or it is no standard icon.
  return bestMatches * 10 >= shown.Pixels.size() / 3 * 9 ? best : "other";
}

std::string Hex(const void* value) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", value);
  return text;
}

}  // namespace

std::string TextOf(HWND window) {
  char text[2048] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_NORMAL, 5000, &copied)) {
    return std::string();
  }
  return std::string(text, std::min<size_t>(copied, sizeof text - 1));
}

BoxView ViewMessageBox(HWND box) {
  pagix_test::SeenBox seen = pagix_test::DescribeMessageBox(box);
  BoxView view;
  view.Window = box;
  view.Caption = TextOf(box);
  view.Text = TextOf(GetDlgItem(box, kMessageTextId));
  view.Owner = seen.Owner;
  view.Icon = seen.Icon == "other" ? IdentifyBoxIcon(box) : seen.Icon;
  view.Buttons = seen.Buttons;
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
    if (!IsDialogOf(window, Id()) || !GetDlgItem(window, IDC_DESTINATION)) continue;
    if (visibleOnly && !IsWindowVisible(window)) continue;
    char caption[128] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (std::string(caption) != kInstallerTitle) continue;
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
    if (GetDlgItem(window, IDC_DESTINATION) || GetDlgItem(window, kChooserDirectoryList)) {
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

bool InstallerProcess::PostWhileHeld(const std::function<void()>& post, std::string* error) {
  if (SuspendThread(info_.hThread) == static_cast<DWORD>(-1)) {
    if (error)
      *error = "cannot hold the installer's thread (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  // A suspension takes effect asynchronously; reading the context waits until it has, so that
  // the thread cannot take a message that is posted afterwards.
  CONTEXT context = {};
  context.ContextFlags = CONTEXT_CONTROL;
  const bool held = GetThreadContext(info_.hThread, &context) != 0;
  if (held) {
    post();
  } else if (error) {
    *error = "the installer's thread did not stop (error " + std::to_string(GetLastError()) + ")";
  }
  ResumeThread(info_.hThread);
  return held;
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
      if (!GetDlgItem(window, IDC_DESTINATION)) description += " text \"" + TextOf(text) + "\"";
    }
  }
  return description.empty() ? "(none)" : description;
}

std::string FieldText(HWND dialog) { return TextOf(GetDlgItem(dialog, IDC_DESTINATION)); }

bool SetFieldText(HWND dialog, const std::string& text) {
  LRESULT done = 0;
  return SendSync(GetDlgItem(dialog, IDC_DESTINATION), WM_SETTEXT, 0,
                  reinterpret_cast<LPARAM>(text.c_str()), &done) &&
         done == TRUE;
}

void Press(HWND dialog, int buttonId) { pagix_test::PressDialogButton(dialog, buttonId); }

bool InstallControlsEnabled(HWND dialog) {
  return IsWindowEnabled(GetDlgItem(dialog, IDOK)) &&
         IsWindowEnabled(GetDlgItem(dialog, IDC_BROWSE)) &&
         IsWindowEnabled(GetDlgItem(dialog, IDC_DESTINATION));
}

bool InstallControlsDisabled(HWND dialog) {
  return !IsWindowEnabled(GetDlgItem(dialog, IDOK)) &&
         !IsWindowEnabled(GetDlgItem(dialog, IDC_BROWSE)) &&
         !IsWindowEnabled(GetDlgItem(dialog, IDC_DESTINATION));
}

bool Answer(InstallerProcess& installer, HWND box, int buttonId, std::string* error) {
  pagix_test::PressDialogButton(box, buttonId);
  return installer.WaitUntilClosed(box, error);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO thread = {};
  thread.cbSize = sizeof thread;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread)) return nullptr;
  return thread.hwndFocus;
}

void PressKeys(std::initializer_list<WORD> chord) {
  std::vector<INPUT> inputs;
  for (WORD key : chord) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto key = chord.end(); key != chord.begin();) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *--key;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace pagix_e2e

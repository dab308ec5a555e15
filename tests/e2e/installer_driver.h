// Drives the real PagixSetup.exe from another process, the way a user would: finds its windows,
// reads and presses their buttons, and waits (always bounded) for what it does next.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/support/wine_test_support.h"

namespace pagix_e2e {

// The shared waits, window and folder helpers, by their short names.
using pagix_test::Backslashed;
using pagix_test::ClassOf;
using pagix_test::CloseWindowsCaptioned;
using pagix_test::FindTopLevel;
using pagix_test::FolderEntries;
using pagix_test::kWaitMs;
using pagix_test::PathArgument;
using pagix_test::ProcessOf;
using pagix_test::RootFolder;
using pagix_test::TopLevelWindows;
using pagix_test::ToWinePath;
using pagix_test::WaitForWindow;
using pagix_test::WaitUntil;

constexpr char kInstallerTitle[] = "Pagix 0.9d Install";
constexpr char kDefaultDestination[] = "C:\\Program Files\\Marrowby\\Pagix";
constexpr char kChooserTitle[] = "Directory Selection";
constexpr char kProductWindowTitle[] = "Pagix 0.9d";

// Controls of the folder chooser (the old-style open dialog's own ids).
enum ChooserControl {
  kChooserFileName = 1152,
  kChooserDirectoryList = 1121,
  kChooserDriveList = 1137,
  kChooserCurrentFolder = 1088,
};

// A window's text through WM_GETTEXT, which crosses processes.
std::string TextOf(HWND window);

// A message box as it is open now.
struct BoxView {
  HWND Window = nullptr;
  std::string Caption;
  std::string Text;
  HWND Owner = nullptr;
  std::string Icon;          // "error", "question", "warning", "information", "none", "other"
  std::vector<int> Buttons;  // ids of the visible buttons, in id order
};
BoxView ViewMessageBox(HWND box);
std::string ButtonNames(const std::vector<int>& ids);

// Sends a message to another process's window and waits (bounded) until it has been handled,
// which also proves that the window's thread is back in a message loop. False when it was not
// handled in time.
bool SendSync(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
              LRESULT* result = nullptr);

// One run of the installer, started by the driver and ended (terminated if need be) with it.
class InstallerProcess {
 public:
  InstallerProcess() = default;
  ~InstallerProcess();
  InstallerProcess(const InstallerProcess&) = delete;
  InstallerProcess& operator=(const InstallerProcess&) = delete;

  // Starts the installer (a Windows path) in working folder C:\. desktop is
  // "station\desktop" or empty for the caller's own.
  bool Start(const std::string& setupPath, const std::string& desktop, std::string* error);
  DWORD Id() const { return info_.dwProcessId; }
  bool Running() const;

  // The main dialog: the process's "#32770" window captioned with the installer's title that
  // holds the destination field. With visibleOnly it is found only once the dialog manager has
  // shown it, after initialisation.
  HWND FindDialog(bool visibleOnly = true) const;
  HWND WaitForDialog(std::string* error);
  // The message box that the installer shows now: a visible "#32770" window of the process that
  // holds the message text control (id 0xFFFF).
  HWND FindMessageBox() const;
  HWND WaitForMessageBox(std::string* error);
  // Waits until the box window is gone (after it was answered).
  bool WaitUntilClosed(HWND window, std::string* error);
  // The folder chooser of Browse.
  HWND FindChooser() const;
  HWND WaitForChooser(std::string* error);

  // Calls post() while the installer's thread stands still, so that every message it posts (or
  // key it sends) is waiting in the installer's queue, in order, before the installer takes the
  // first.
  // False (with the reason) when the thread could not be held.
  bool PostWhileHeld(const std::function<void()>& post, std::string* error);

  // Waits for the process to end and reads its exit code.
  bool WaitForExit(DWORD* exitCode, std::string* error, DWORD timeoutMs = kWaitMs);

  // The installer's top-level windows, for failure messages.
  std::string DescribeWindows() const;

 private:
  PROCESS_INFORMATION info_ = {};
};

// Main dialog helpers.
std::string FieldText(HWND dialog);
bool SetFieldText(HWND dialog, const std::string& text);
// Posts the button's command to the dialog, as a click does.
void Press(HWND dialog, int buttonId);
// Install, Browse and the destination field enabled (or all disabled).
bool InstallControlsEnabled(HWND dialog);
bool InstallControlsDisabled(HWND dialog);

// Answers a message box by pressing one of its buttons and waits until it is gone.
bool Answer(InstallerProcess& installer, HWND box, int buttonId, std::string* error);

// Keyboard input as a user gives it, through SendInput: the system hands each key to the focused
// control of the thread whose window is in front, as that thread takes the key from its queue.
// The focused control of window's thread (also another process's).
HWND FocusOf(HWND window);
// Presses the keys of a chord in order and lets them go in reverse (VK_MENU, 'B': Alt+B).
void PressKeys(std::initializer_list<WORD> chord);

}  // namespace pagix_e2e

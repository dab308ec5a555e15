// Helpers for the Win32 test programs and the end-to-end scenarios that run under Wine: answering
// message boxes, private desktops, bounded waits for windows and processes, scratch folders.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace pagix_test {

// One message box as the test saw it when it appeared.
struct SeenBox {
  std::string Caption;
  std::string Text;
  HWND Owner = nullptr;
  // "error", "question", "warning", "information" or "none".
  std::string Icon;
  // Ids of the buttons that the box offers, in id order (IDOK, IDCANCEL, IDYES, IDNO, ...).
  std::vector<int> Buttons;
  int Answer = 0;
};

// Answers every message box (dialog of class "#32770" that is not one of the dialogs the test
// names as its own) that this thread shows while the object lives, pressing the next button of
// a scripted list. A CBT hook sees each box the moment it is activated, so nothing is timed.
// When the script is exhausted the box is answered with its cancel-like button (IDCANCEL, IDNO
// or IDOK) so that a test never hangs.
class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(std::vector<int> answers = {});
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  const std::vector<SeenBox>& Seen() const { return seen_; }
  void Clear() { seen_.clear(); }
  // Windows that are dialogs of the test itself, never answered.
  void Ignore(HWND window) { ignored_.push_back(window); }
  // Called for each box after it is recorded and before it is answered (may be empty).
  void (*OnBox)(HWND box, void* context) = nullptr;
  void* OnBoxContext = nullptr;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  void Handle(HWND box);

  HHOOK hook_ = nullptr;
  std::vector<int> answers_;
  size_t next_ = 0;
  std::vector<SeenBox> seen_;
  std::vector<HWND> ignored_;
};

// Describes a box that is open now (caption, text, icon, buttons); used by the answerer and by
// cross-process drivers.
SeenBox DescribeMessageBox(HWND box);

// Presses a button of a dialog the way a click would, through its window procedure.
void PressDialogButton(HWND dialog, int buttonId);

// Moves the calling process into a window station and desktop of its own, where no other
// program's top-level windows (such as the shell's Program Manager DDE server) can be seen. Must
// be called before the process creates any window. Returns false when the platform refuses.
bool EnterPrivateDesktop(const char* name);

// main() of a test program that runs on a desktop of its own: enters it before any window is
// made, then runs every test; readArguments, when given, sees the arguments that GoogleTest left.
int RunTestsOnPrivateDesktop(const char* name, int argc, char** argv,
                             void (*readArguments)(int argc, char** argv) = nullptr);

// A Unix path as Wine's drive Z: shows it ("/a/b" becomes "Z:\a\b"); other paths unchanged.
std::string ToWinePath(const std::string& path);
// The value of the first program argument that starts with prefix (such as "--tree="), as a
// Windows path (ToWinePath); empty when there is none.
std::string PathArgument(int argc, char** argv, const std::string& prefix);

// The four standard icons of message boxes, with the names that SeenBox::Icon uses.
struct StandardIcon {
  LPCSTR Id;
  const char* Name;
};
extern const StandardIcon kStandardIcons[4];

// The text with its letters in lower case.
std::string Lower(std::string text);

// How long any one expected event may take before a wait gives up.
constexpr DWORD kWaitMs = 20000;

// Calls done() every 20 ms until it returns true or timeoutMs have passed; returns its last
// result.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kWaitMs);
// Calls find() the same way until it gives a window; null when none came in time.
HWND WaitForWindow(const std::function<HWND()>& find, DWORD timeoutMs = kWaitMs);

// Dispatches whatever this thread's queue holds (paints, activation, posted messages), with a
// bound.
void DrainQueue();

// The lines of a list box, of this process or another: the wide messages carry them across
// processes intact (Wine hands an ANSI LB_GETTEXT from another process back in UTF-16).
std::vector<std::string> ListBoxLines(HWND list);

// A window's class name and process id.
std::string ClassOf(HWND window);
DWORD ProcessOf(HWND window);
// Top-level windows of the calling thread's desktop, optionally only one process's.
std::vector<HWND> TopLevelWindows(DWORD processId = 0);
// The first visible top-level window with this caption (and class, when given), of any process
// when processId is 0.
HWND FindTopLevel(const std::string& caption, DWORD processId = 0, const char* className = nullptr);
// Closes (WM_CLOSE) every visible top-level window with this caption, of any process, and waits
// until they are gone, and with waitForProcess until their processes have ended. Returns how
// many there were.
int CloseWindowsCaptioned(const std::string& caption, bool waitForProcess);

// A program started by a test. The handle is the caller's to close (WaitForExit does).
struct Process {
  HANDLE Handle = nullptr;  // null when the program could not be started
  DWORD Id = 0;
};
// Starts a command line in the working folder directory; environment, when given, is a block of
// "NAME=value\0" strings.
Process StartProcess(const std::string& commandLine, const std::string& directory,
                     const std::string* environment = nullptr);
// Waits (bounded) for the process to end and closes the handle; its exit code, or -1 when it did
// not end in time.
long WaitForExit(HANDLE process, DWORD timeoutMs = kWaitMs);

// Whether this process is a 32-bit one on 64-bit Windows.
bool RunsUnderWow64();

// A value below HKEY_LOCAL_MACHINE as the registry holds it.
struct RegistryValue {
  bool Present = false;
  DWORD Type = 0;
  std::string Data;  // every byte of the value, a string's terminating NUL included
  // A string without its terminating NUL; empty for a REG_DWORD.
  std::string Text() const;
  // A REG_DWORD's number; 0 for any other value.
  DWORD Number() const;
};
// Keys below HKEY_LOCAL_MACHINE, in the registry view given: 0 for the calling process's own,
// KEY_WOW64_32KEY or KEY_WOW64_64KEY.
bool RegistryKeyExists(const std::string& keyPath, REGSAM view = 0);
RegistryValue ReadRegistryValue(const std::string& keyPath, const std::string& name,
                                REGSAM view = 0);
// The names of the key's values, sorted; empty when the key is missing.
std::vector<std::string> RegistryValueNames(const std::string& keyPath, REGSAM view = 0);
// Writes a REG_SZ value, making the key when it is missing; false when the registry refused.
bool WriteRegistryText(const std::string& keyPath, const std::string& name,
                       const std::string& text);

// A fresh, empty folder below the Windows temporary folder, removed with its contents on
// destruction. Path() uses backslashes and has no trailing separator.
class ScratchFolder {
 public:
  explicit ScratchFolder(const char* tag);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& Path() const { return path_; }
  // Path() + "\" + relative, with "/" turned into "\".
  std::string Join(const std::string& relative) const;
  // Path() with "/" separators and a trailing "/", the form the installer builds paths from.
  std::string AsDestination() const;

 private:
  std::string path_;
};

// A fresh folder in the Windows tree of the prefix (C:\NAME), removed again on destruction.
class RootFolder {
 public:
  explicit RootFolder(const std::string& name);
  ~RootFolder();
  RootFolder(const RootFolder&) = delete;
  RootFolder& operator=(const RootFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string Join(const std::string& relative) const { return path_ + "\\" + relative; }

 private:
  std::string path_;
};

// "a\b" for "a/b".
std::string Backslashed(std::string path);
// The entries (files and folders) directly inside a folder, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);
void RemoveTree(const std::string& path);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
std::vector<unsigned char> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes);
std::string CurrentDirectory();

}  // namespace pagix_test

// Shared pieces of the end-to-end scenarios: the program's arguments, starting the installer,
// expecting its message boxes, screenshots.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/install_outcome.h"
#include "tests/e2e/installer_driver.h"

namespace pagix_e2e {

// Set from the command line: --setup=, --product=, --screenshots=, --planted-dll=,
// --plant-probe= (Unix or Windows paths).
struct E2eSettings {
  std::string Setup;        // PagixSetup.exe
  std::string ProductDir;   // the build's copies of the installed files
  std::string Screenshots;  // folder for the PPM files; empty: none
  std::string Desktop;      // "station\desktop" for the installer, empty: the caller's own
  std::string PlantedDll;   // --planted-dll=: a DLL that marks its loading (hardening scenarios)
  std::string PlantProbe;   // --plant-probe=: a program that loads comdlg32.dll by name
};
E2eSettings& Settings();
// Reads the arguments above; gtest's own have been removed already.
void ParseSettings(int argc, char** argv);

// What a message box must look like.
struct ExpectedBox {
  std::string Text;
  const char* Icon;  // "question", "error"
  std::vector<int> Buttons;
};
extern const std::vector<int> kOkCancel;
extern const std::vector<int> kYesNo;
extern const std::vector<int> kOkOnly;
// The two questions of an installation.
extern const ExpectedBox kCreateDestination;
extern const ExpectedBox kRunPagixNow;

// Starts the installer and waits for its dialog; records a failure and returns null when it
// does not appear.
HWND StartInstaller(InstallerProcess& installer);
// StartInstaller, then the field set to destination and Install pressed.
HWND StartInstalling(InstallerProcess& installer, const std::string& destination);

// Waits for the installer's next message box and checks it: caption, text, icon, buttons, owned
// by the dialog. Returns the box; null after a recorded failure when no box or a box with
// another text appeared.
HWND ExpectBox(InstallerProcess& installer, HWND dialog, const ExpectedBox& expected);

// Presses a button of the box and waits until it is gone.
void AnswerBox(InstallerProcess& installer, HWND box, int buttonId);

// After an abort: waits until Install, Browse and the field are enabled again, makes sure the
// dialog's thread is back in its own loop, and checks that no box is open and the dialog is.
void ExpectIdleAgain(InstallerProcess& installer, HWND dialog);

// Waits for the installer to end and checks exit code 0.
void ExpectEndsWithZero(InstallerProcess& installer);

// Writes a screenshot NAME.ppm of the window when screenshots are wanted.
void Screenshot(HWND window, const std::string& name);

// A complete installation of the product to destination (no trailing separator): every file
// byte-identical to the product's copy, the five sub-folders, nothing else at the top level
// beyond what was there before (listed in extraEntries), the uninstall entry and the group.
void ExpectInstalled(const std::string& destination,
                     const std::vector<std::string>& extraEntries = {});
// A whole installation as a user makes it into a folder that does not exist yet: the field set
// to destination, Install, "Create Destination" confirmed, "Run Pagix now?" answered with
// launchAnswer; the installer ends with 0, the shell's group window is closed and everything is
// in place (ExpectInstalled). Call it through ASSERT_NO_FATAL_FAILURE.
void InstallIntoNewFolder(const std::string& destination, int launchAnswer);

// The uninstall entry of an installation to destination, with every value, in the registry's
// 32-bit view (and, on 64-bit Windows, not in the 64-bit one).
void ExpectUninstallEntry(const std::string& destination);

// The uninstall command for a destination text as the user typed it.
std::string ExpectedUninstallString(const std::string& destination);

// Runs a command line as the shell runs an uninstall command, in working folder C:\; environment,
// when given, is a block of "NAME=value\0" strings. Waits up to waitMs for it to end (0: not at
// all); returns whether it started (and ended).
bool RunCommand(const std::string& command, const std::string* environment = nullptr,
                DWORD waitMs = 0);
// Answers the uninstaller's question Yes, then its closing message OK.
void ConfirmCompleteUninstall(HWND question);
// Runs the command of the Add/Remove Programs entry, answers its question Yes and checks that
// destination, the entry and the group go and that the uninstaller ends.
void UninstallThroughEntry(const std::string& destination);

}  // namespace pagix_e2e

// Starting the installed program through the desktop's shell, so that it runs as the desktop's
// user (with a normal token), not with the installer's administrator token.
#pragma once

#include <windows.h>

// How long the caller waits for the shell to take the program; a hung Explorer holds up the
// finished installer no longer than this.
constexpr DWORD kShellLaunchWaitMs = 4000;

// Asks the shell that shows the desktop (Explorer's window list, its desktop view, and that
// view's Shell.Application) to start directory + programFileName, with directory as the working
// folder; directory is a destination after NormalizePath in directory form. The shell is asked
// on a thread of its own, with COM of its own, and the caller waits for it at most
// kShellLaunchWaitMs without pumping messages. Returns 1 when the shell took the request (or
// has taken it and not answered yet), 0 when no shell runs, it did not answer in time, or any
// step of the way failed; then the shell starts nothing, now or later, and the caller starts
// the program itself. ole32 and oleaut32 are loaded from the system folder only by that thread.
int LaunchThroughDesktopShell(const char* directory, const char* programFileName);

// Starting the installed program through the desktop's shell, so that it runs as the desktop's
// user (with a normal token), not with the installer's administrator token.
#pragma once

// Asks the shell that shows the desktop (Explorer's window list, its desktop view, and that
// view's Shell.Application) to start directory + programFileName, with directory as the working
// folder; directory is a destination after NormalizePath in directory form. Returns 1 when the
// shell took the request, 0 when any step of the way failed (no shell, another shell, no COM on
// this thread), in which case nothing was started. ole32 and oleaut32 are loaded from the system
// folder only when it is called.
int LaunchThroughDesktopShell(const char* directory, const char* programFileName);

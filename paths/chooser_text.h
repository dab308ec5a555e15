// The text side of the folder chooser: where it opens and the form of its result. Platform-free
// so that it can be checked apart from the common dialog.
#pragma once

// Writes into out (kPathBufferSize bytes) the folder in which the chooser opens for the path
// text in: its drive part (the first two characters when the second is ":") followed by its
// directory part (what follows the drive part up to and including the last "\" or "/"; empty when
// there is none). "C:\X\*.*" gives "C:\X\", "\*.*" gives "\", "D:\*.*" gives "D:\". Returns 1;
// returns 0 when the folder is longer than 259 characters and out holds only its beginning.
int ComputeInitialFolder(char* out, const char* in);

// Writes into out (kPathBufferSize bytes) the chooser's result for the directory text chosen:
// the text followed by "*.*" when it ends with "\" (a drive root such as "c:\"), otherwise
// (an empty text included) followed by "\*.*". Returns 1. When the result would not fit in
// kPathBufferSize bytes, out is left unchanged and 0 is returned: a cut text would name another
// folder.
int ComposeChosenPath(char* out, const char* chosen);

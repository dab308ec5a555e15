// Which files running programs were started from, and whether two paths name one file.
#pragma once

// Whether two paths name the same file or folder on disk (same volume, same file index), however
// they are spelt. 0 when either cannot be opened.
int SameOnDisk(const char* a, const char* b);

// Whether a running process was started from the program file at path. Processes with the
// file's name whose image cannot be told count as started from it.
int IsRunningImage(const char* path);

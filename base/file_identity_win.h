// Whether two paths name one file or folder, however they are spelt.
#pragma once

// Whether two paths name the same file or folder on disk (same volume, same file index), however
// they are spelt. 0 when either cannot be opened.
int SameOnDisk(const char* a, const char* b);

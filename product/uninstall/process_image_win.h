// Which files running programs were started from.
#pragma once

// Whether a running process was started from the program file at path. Processes with the
// file's name whose image cannot be told count as started from it.
int IsRunningImage(const char* path);

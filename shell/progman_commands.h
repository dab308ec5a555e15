// The command string that the Program Manager group step sends: one CreateGroup command followed
// directly by one AddItem command per item. Platform-free, so the block can be checked anywhere.
#pragma once

#include <stddef.h>

// Bytes the command block needs: every command plus one terminating NUL. Item i is files[i] with
// titles[i]; a count of 0 or less means no item.
size_t ProgmanCommandBlockSize(const char* group, const char* destination, const char* const* files,
                               const char* const* titles, int count);

// Writes the commands into out[0..size-1], always terminated and never beyond size bytes.
// Returns 1 when every command fitted, 0 when the text had to be cut (or size is 0).
int FormatProgmanCommands(char* out, size_t size, const char* group, const char* destination,
                          const char* const* files, const char* const* titles, int count);

// Every command text sent to Program Manager. The installer's group step sends one block: one
// CreateGroup command followed directly by one AddItem command per item; the uninstaller sends
// DeleteGroup, ShowGroup and DeleteItem one at a time. Platform-free, so the texts can be checked
// anywhere.
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

// The uninstaller's commands: [DeleteGroup("group")], [ShowGroup("group",0)], which makes the
// group the one that DeleteItem removes from, and [DeleteItem("title")]. Each writes into
// out[0..size-1], always terminated, and returns 1 when the command fitted, 0 when it was cut.
int FormatProgmanDeleteGroup(char* out, size_t size, const char* group);
int FormatProgmanShowGroup(char* out, size_t size, const char* group);
int FormatProgmanDeleteItem(char* out, size_t size, const char* title);

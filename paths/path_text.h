// Text operations on paths: "/" and "\" are both separators; nothing touches the file system.
// Text is read character by character (base/code_page.h): the second byte of a double-byte
// character is never a separator and no output ends inside a character. Lengths are in bytes.
//
// Bounds. Paths live in caller-owned buffers of kPathBufferSize (260) bytes, at most 259
// characters and a terminator. None of these operations ever writes more than kPathBufferSize
// bytes into an output, whatever the input; an output never needs more than the smaller of
// kPathBufferSize and the sizes given with each operation below.
#pragma once

#include "base/text_format.h"

enum {
  // Longest path text: 259 characters.
  kPathMaxLength = kPathBufferSize - 1,
  // The private work area of NormalizePath and SplitPath holds twice a path.
  kPathWorkSize = 2 * kPathBufferSize
};

// Normalises in into out, which may be the very buffer that holds in (the whole input is read
// before anything is written): backslashes become "/", of each run of separators from the second
// character onward only the first survives, then directory form (fileForm 0) ends a non-empty
// text with exactly one "/" and file form (any other value) removes every trailing "/"; finally
// CollapseParentRefs is applied. Empty input gives empty output.
//
// Returns 1 when out holds the whole result. The result is built in a work area of
// kPathWorkSize - 1 characters, so it is exact for every input up to 518 characters. When the
// result is longer than kPathMaxLength characters, or the input is too long for the work area,
// out receives only the first kPathMaxLength characters (one less where the last would be cut
// in two) and 0 is returned: such a text is never
// a usable path (DestinationLeavesRoom in paths/destination_room.h refuses it). out needs the
// smaller of kPathBufferSize bytes and the input's length plus two bytes.
int NormalizePath(char* out, const char* in, int fileForm);

// Removes every "../" (found at position 1 or later, also at the end of a longer segment name)
// together with the segment in front of it, in place; stops for good at a "../" whose preceding
// segment is itself "../". Only ever shortens the text.
void CollapseParentRefs(char* path);

// Splits in into its directory part, which keeps the final separator as it stood, and its last
// component, after removing every trailing separator. With no separator left the name is the
// whole remaining text and the directory part is empty. Either output may be null (not written)
// or the very buffer that holds in (the input is copied first; the name is written before the
// directory part).
//
// Only the first kPathWorkSize - 1 (519) characters of in are considered. Each output receives
// at most kPathMaxLength characters and a terminator, so it needs the smaller of
// kPathBufferSize bytes and the input's length plus one byte. Returns 1 when every part written
// is complete, 0 when the input was too long or a part written had to be cut (a cut part names
// no real folder).
int SplitPath(const char* in, char* directoryOut, char* nameOut);

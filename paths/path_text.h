// Text operations on paths: "/" and "\" are both separators; nothing touches the file system.
#pragma once

enum { kPathBufferSize = 260 };

// Normalises in into out (which may be the same buffer): backslashes become "/", runs of
// separators after the first character collapse to one, then directory form (fileForm 0) ends the
// text with exactly one "/" and file form removes trailing "/"; finally "../" is collapsed.
void NormalizePath(char* out, const char* in, int fileForm);

// Removes every "../" together with the segment before it, in place.
void CollapseParentRefs(char* path);

// Splits in into its directory part (keeping the final separator) and its last component,
// ignoring trailing separators. Either output may be null or the input buffer itself.
void SplitPath(const char* in, char* directoryOut, char* nameOut);
